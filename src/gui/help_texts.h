#pragma once

#include <QString>

namespace quill {

inline constexpr int kHelpTextCount = 21;

// Help text number (1 to 21) of the main window's help box; lines are
// separated by "\r\n". Number 21 is the empty text that clears the box; a
// number out of range gives the empty text too.
QString helpText(int number);

// The start-up disclaimer: "Disclaimer:", CR LF, three sentences.
QString disclaimerText();

// The one-line credit shown in the status line at start-up.
QString authorCredit();

// The status line once the start-up texts are gone.
QString readyPrompt();

}  // namespace quill
