#include "core/run_options.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "core/unc_file_system.h"
#include "support/qt_print.h"

namespace quill {
namespace {

class NoServers : public UncFileSystem {
 public:
  bool exists(const QString&) override { return false; }
  bool makeFolder(const QString&, QString*) override { return false; }
  std::optional<QStringList> folderEntries(const QString&) override { return std::nullopt; }
  Removal removeFolder(const QString&, QString*) override { return Removal::Missing; }
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

}  // namespace
}  // namespace quill
