#include "app/dry_run_report.h"

namespace quill {

namespace {

QString counted(int count, const char* one, const char* many) {
  return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

}  // namespace

void DryRunReport::takeLine(const QString& line) {
  if (line.startsWith(QLatin1String("Warning: '"))) {
    m_warnings << line;
    if (line.contains(QLatin1String("' already exists. Using '"))) m_fallBacks << line;
  } else if (line.startsWith(QLatin1String("Error")) ||
             line.startsWith(QLatin1String("Faild to create directory")) ||
             line.startsWith(QLatin1String("Unable to create share"))) {
    m_errors << line;
  }
}

QString DryRunReport::summary(const DryRun::Counts& c) const {
  QString text = QStringLiteral("Dry run: nothing was changed.");
  if (c.deleted + c.membershipsRemoved + c.foldersRemoved + c.sharesDeleted > 0) {
    text += QStringLiteral(" It would remove %1, %2, %3 and %4;")
                .arg(counted(c.sharesDeleted, "share", "shares"),
                     counted(c.foldersRemoved, "folder", "folders"),
                     counted(c.membershipsRemoved, "membership", "memberships"),
                     counted(c.deleted, "object", "objects"));
  } else {
    text += QStringLiteral(" It would create %1, %2, %3, %4, %5 and %6;")
                .arg(counted(c.ous, "OU", "OUs"), counted(c.accounts, "account", "accounts"),
                     counted(c.groups, "group", "groups"),
                     counted(c.memberships, "membership", "memberships"),
                     counted(c.folders, "folder", "folders"), counted(c.shares, "share", "shares"));
  }
  return text + QStringLiteral(" %1, %2, %3.")
                    .arg(counted(static_cast<int>(m_fallBacks.size()), "fall-back name",
                                 "fall-back names"),
                         counted(static_cast<int>(m_warnings.size()), "warning", "warnings"),
                         counted(static_cast<int>(m_errors.size()), "error", "errors"));
}

QString DryRunReport::text(const DryRun::Counts& counts) const {
  QString text = summary(counts) + u'\n';
  const auto section = [&text](const char* title, const QStringList& lines) {
    if (lines.isEmpty()) return;
    text += u'\n' + QLatin1String(title) + u'\n';
    for (const QString& line : lines) text += QStringLiteral("  ") + line + u'\n';
  };
  section("Persons whose login name falls back to another pattern:", m_fallBacks);
  section("Warnings:", m_warnings);
  section("Errors:", m_errors);
  return text + u'\n' + limits() + u'\n';
}

QString DryRunReport::limits() {
  return QStringLiteral(
      "A dry run cannot see: changes others make between the dry run and the run; rules of "
      "the servers it cannot read (fine-grained password policies, constraints on single "
      "attributes, quotas); folder permissions that would refuse a write.");
}

}  // namespace quill
