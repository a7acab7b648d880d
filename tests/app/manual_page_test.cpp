// The manual page and the shell completion name exactly the flags that
// --help names, so neither can fall behind the program.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include "app/command_line.h"
#include "support/qt_print.h"

namespace quill {
namespace {

QSet<QString> flagsIn(QString text) {
  text.replace(QStringLiteral("\\-"), QStringLiteral("-"));  // troff's escaped hyphen
  static const QRegularExpression flag(QStringLiteral("--[a-z][a-z-]*[a-z]"));
  QSet<QString> flags;
  for (const QRegularExpressionMatch& m : flag.globalMatch(text)) flags.insert(m.captured());
  return flags;
}

// The flags of a that b lacks, sorted, as one line.
QString missing(const QSet<QString>& a, const QSet<QString>& b) {
  QStringList names = QSet<QString>(a).subtract(b).values();
  names.sort();
  return names.join(u' ');
}

QString sourceFile(const char* relative) {
  QFile file(QStringLiteral(QUILL_SOURCE_DIR "/") + QLatin1String(relative));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << relative;
  return QString::fromUtf8(file.readAll());
}

TEST(ManualPage, NamesEveryFlagOfHelpAndNoOther) {
  const QSet<QString> help = flagsIn(usageText());
  ASSERT_GT(help.size(), 30);
  for (const char* file : {"data/quillstead.1", "data/quillstead.bash-completion"}) {
    const QSet<QString> documented = flagsIn(sourceFile(file));
    EXPECT_EQ(missing(help, documented), QString()) << "missing in " << file;
    EXPECT_EQ(missing(documented, help), QString()) << "unknown in " << file;
  }
}

}  // namespace
}  // namespace quill
