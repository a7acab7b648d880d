#include "engine/login_names.h"

#include "core/user_name_pattern.h"
#include "engine/run_context.h"

namespace quill {

QString CalcUserName(RunContext& context, const QString& leadName, const QString& trailName,
                     bool check) {
  // The patterns are read once, so a dialog closed during a log line's yield
  // does not change this call.
  const UserNamePatterns patterns = context.patterns;
  const QString first = MakeUserName(patterns.pattern[0], leadName, trailName);
  if (!check) return first;

  context.counters.WarningsOccurred = true;
  const QString second = MakeUserName(patterns.pattern[1], leadName, trailName);
  const QString third = MakeUserName(patterns.pattern[2], leadName, trailName);
  const QString person = leadName + QLatin1Char(' ') + trailName;
  auto taken = [&](const QString& name) {
    return context.directory.AccountExists(context.options().txt_Domain, name);
  };

  if (!taken(first)) return first;
  if (!taken(second)) {
    context.ReportLine(QStringLiteral("Warning: '") + first +
                       QStringLiteral("' already exists. Using '") + second +
                       QStringLiteral("' for ") + person + QLatin1Char('.'));
    return second;
  }
  if (taken(third)) {
    context.ReportLine(QStringLiteral("Error: '") + first + QStringLiteral("', '") + second +
                       QStringLiteral("' and '") + third + QStringLiteral("' exists! ") + person +
                       QStringLiteral(" will not be created."));
    return QString();
  }
  context.ReportLine(QStringLiteral("Warning: '") + first + QStringLiteral("' and '") + second +
                     QStringLiteral("' already exists. Using '") + third +
                     QStringLiteral("' for ") + person + QLatin1Char('.'));
  return third;
}

}  // namespace quill
