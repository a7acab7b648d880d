#pragma once

#include <QString>

namespace quill {

class RunContext;

// The login name of a person: in plain mode the name of pattern 1; in
// checking mode the first of the three patterns' names that is free in the
// domain, with a warning line when it had to fall back, or the empty text
// with an error line when all three are taken.
QString CalcUserName(RunContext& context, const QString& leadName, const QString& trailName,
                     bool check);

}  // namespace quill
