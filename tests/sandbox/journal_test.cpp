// The sandbox's journal: every change is kept the moment it is made, a record
// the program did not finish writing is dropped, a damaged one stops the
// opening, and a person a kill cut off is taken back whole.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "core/directory_service.h"
#include "core/platform.h"
#include "core/share_service.h"
#include "sandbox/memory_directory.h"
#include "sandbox/sandbox.h"
#include "sandbox/sandbox_share_service.h"
#include "support/qt_print.h"

namespace quill {
namespace {

const QString kRoot = QStringLiteral("DC=example,DC=test");

class JournalTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_tmp.isValid()); }
  QString dir() const { return m_tmp.filePath("S"); }
  std::unique_ptr<Sandbox> open() {
    QString error;
    std::unique_ptr<Sandbox> sandbox = Sandbox::open(dir(), &error);
    EXPECT_TRUE(sandbox) << error.toStdString();
    return sandbox;
  }
  QByteArray journal() const {
    QFile f(dir() + "/journal");
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  void setJournal(const QByteArray& data) {
    QFile f(dir() + "/journal");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
  }
  // Makes an OU; a person's changes when the platform is told so.
  static void makeOu(Sandbox& s, const QString& name) {
    PendingError err;
    DirectoryService& d = s.directory();
    auto root = d.Bind("LDAP://example.test", err);
    auto ou = d.Create(*root, "organizationalUnit", "OU=" + name, err);
    d.SetInfo(*ou, err);
    ASSERT_FALSE(err.isSet()) << err.description().toStdString();
  }

  QTemporaryDir m_tmp;
};

TEST_F(JournalTest, AChangeIsKeptBeforeTheFilesAreWrittenAndFoldedInAtTheNextStart) {
  {
    auto s = open();
    makeOu(*s, "Kept");
    EXPECT_EQ(s->shares().CreateShare("files", "D:\\shares\\data", "Data2"), 0);
    EXPECT_FALSE(journal().isEmpty());
    // No save: the program dies here.
  }
  auto s = open();
  EXPECT_TRUE(s->directory().contains("OU=Kept," + kRoot));
  EXPECT_EQ(s->shares().GetSharePath("files", "data2"), QStringLiteral("D:\\shares\\data"));
  EXPECT_TRUE(journal().isEmpty());  // folded into the files at once
}

TEST_F(JournalTest, AnUnfinishedLastRecordIsDroppedAndADamagedOneStops) {
  { open(); }
  {
    auto s = open();
    makeOu(*s, "A");
    makeOu(*s, "B");
  }
  const QByteArray whole = journal();
  const qsizetype secondRecord = whole.indexOf('\n') + 1;
  // Cut inside the last record: it is dropped, the first is kept.
  setJournal(whole.left(whole.size() - 7));
  {
    auto s = open();
    EXPECT_TRUE(s->directory().contains("OU=A," + kRoot));
    EXPECT_FALSE(s->directory().contains("OU=B," + kRoot));
  }
  // A damaged record with another after it is no unfinished write.
  setJournal(QByteArray(whole).replace(secondRecord - 5, 1, "#") + whole);
  QString error;
  EXPECT_FALSE(Sandbox::open(dir(), &error));
  EXPECT_TRUE(error.contains(dir() + "/journal, line 1")) << error.toStdString();
}

TEST_F(JournalTest, APersonWithoutItsEndIsTakenBackWhole) {
  { open(); }
  {
    auto s = open();
    PersonChanges* persons = s->platform().persons;
    ASSERT_NE(persons, nullptr);
    persons->personBegins();
    makeOu(*s, "Whole");
    persons->personEnds();
    persons->personBegins();
    makeOu(*s, "Half");
  }
  auto s = open();
  EXPECT_TRUE(s->directory().contains("OU=Whole," + kRoot));
  EXPECT_FALSE(s->directory().contains("OU=Half," + kRoot));
  ASSERT_EQ(s->warnings().size(), 1);
  EXPECT_TRUE(s->warnings().front().contains("OU=Half," + kRoot));
}

TEST_F(JournalTest, OneProgramAtATime) {
  auto first = open();
  QString error;
  EXPECT_FALSE(Sandbox::open(dir(), &error));
  EXPECT_TRUE(error.contains(QLatin1String("in use"))) << error.toStdString();
}

}  // namespace
}  // namespace quill
