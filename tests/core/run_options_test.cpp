#include "core/run_options.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "core/domain_strings.h"
#include "core/path_exists.h"
#include "core/unc_file_system.h"
#include "support/qt_print.h"

namespace quill {
namespace {

// Answers for one share root only and records what it was asked.
class OneShareServer : public UncFileSystem {
 public:
  bool exists(const QString& path) override {
    asked << path;
    return path == QStringLiteral("\\\\files\\data");
  }
  bool makeFolder(const QString&, QString*) override { return false; }
  QStringList asked;
};

TEST(PathExistsTest, UncPathsGoToTheServerAndOthersAreLocal) {
  QTemporaryDir dir;
  QFile file(dir.filePath(QStringLiteral("list.csv")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  struct Case {
    QString path;
    bool exists;
    bool askedServer;
  };
  const Case cases[] = {
      {"\\\\files\\data", true, true},
      {"\\\\files\\other", false, true},
      {"\\files\\data", false, false},
      {file.fileName(), true, false},
      {dir.path(), true, false},
      {dir.filePath(QStringLiteral("missing.csv")), false, false},
      {"", false, false},
  };
  for (const Case& c : cases) {
    OneShareServer unc;
    EXPECT_EQ(PathExists(c.path, unc), c.exists) << c.path.toStdString();
    EXPECT_EQ(unc.asked, c.askedServer ? QStringList{c.path} : QStringList())
        << c.path.toStdString();
  }
}

TEST(RunOptionsTest, StartupListPathOnlyWhenTheFileExists) {
  QTemporaryDir dir;
  OneShareServer unc;
  EXPECT_EQ(startupRunOptions(dir.path(), unc).txt_CSVFile, "Enter CSV file path");

  QFile file(dir.filePath(QStringLiteral("Users_list.csv")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  const RunOptions options = startupRunOptions(dir.path(), unc);
  EXPECT_EQ(options.txt_CSVFile, dir.path() + "/Users_list.csv");
  // The built-in word of eight lowercase letters stands in both password boxes.
  EXPECT_TRUE(
      QRegularExpression(QStringLiteral("^[a-z]{8}$")).match(defaultInitialPassword()).hasMatch());
  EXPECT_EQ(options.txt_Password[0], defaultInitialPassword());
  EXPECT_EQ(options.txt_Password[1], defaultInitialPassword());
}

TEST(DomainStringsTest, EveryDotBecomesADcComponent) {
  struct Case {
    QString domain, suffix, prefix;
  };
  const Case cases[] = {
      {"x.y", ",DC=x,DC=y", "LDAP://x.y/"},
      {"x.y.z", ",DC=x,DC=y,DC=z", "LDAP://x.y.z/"},
      {"corp", ",DC=corp", "LDAP://corp/"},
      {"a..b", ",DC=a,DC=,DC=b", "LDAP://a..b/"},
  };
  for (const Case& c : cases) {
    const DomainStrings strings = deriveDomainStrings(c.domain);
    EXPECT_EQ(strings.DomainFqdn, c.domain);
    EXPECT_EQ(strings.DomainDnSuffix, c.suffix) << c.domain.toStdString();
    EXPECT_EQ(strings.LdapPrefix, c.prefix) << c.domain.toStdString();
  }
}

}  // namespace
}  // namespace quill
