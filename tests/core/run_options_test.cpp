#include "core/run_options.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "core/domain_strings.h"
#include "core/unc_file_system.h"
#include "support/qt_print.h"

namespace quill {
namespace {

class NoServers : public UncFileSystem {
 public:
  bool exists(const QString&) override { return false; }
  bool makeFolder(const QString&, QString*) override { return false; }
};

TEST(RunOptionsTest, StartupListPathOnlyWhenTheFileExists) {
  QTemporaryDir dir;
  NoServers unc;
  EXPECT_EQ(startupRunOptions(dir.path(), unc).txt_CSVFile, "Enter CSV file path");
  QFile file(dir.filePath("Users_list.csv"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  for (const QString& current : {dir.path(), dir.path() + "/"}) {
    const RunOptions options = startupRunOptions(current, unc);
    EXPECT_EQ(options.txt_CSVFile, dir.path() + "/Users_list.csv") << current.toStdString();
    EXPECT_EQ(options.txt_Password[0], defaultInitialPassword());
    EXPECT_EQ(options.txt_Password[1], defaultInitialPassword());
  }
}

TEST(DomainStringsTest, EveryDotBecomesADcComponent) {
  const struct {
    QString domain, suffix;
  } cases[] = {{"x.y.z", ",DC=x,DC=y,DC=z"}, {"corp", ",DC=corp"}, {"a..b", ",DC=a,DC=,DC=b"}};
  for (const auto& c : cases) {
    const DomainStrings strings = deriveDomainStrings(c.domain);
    EXPECT_EQ(strings.DomainFqdn, c.domain);
    EXPECT_EQ(strings.DomainDnSuffix, c.suffix) << c.domain.toStdString();
    EXPECT_EQ(strings.LdapPrefix, "LDAP://" + c.domain + "/") << c.domain.toStdString();
  }
}

}  // namespace
}  // namespace quill
