// The window's dry run and its report, the record every GO leaves, and the
// runs window that takes a run back.
#include "gui/dry_run_window.h"
#include "gui/runs_window.h"
#include "sandbox/memory_directory.h"
#include "support/gui_support.h"

namespace quill::test {
namespace {

const QString kSales = u",OU=Sales,OU=Users,OU=OU's,DC=example,DC=test"_s;

class RunsTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    // Two persons whose first login name is the same: the second falls back.
    prepareRun(
        {u"John,Smith,Clerk,Sales,Clerk,555-0101"_s, u"Jane,Smith,Clerk,Sales,Clerk,555-0102"_s},
        u"\\\\files\\data"_s);
  }
  QStringList records() {
    return QDir(m_temp.filePath(u"quillstead-runs"_s)).entryList({u"*.jsonl"_s}, QDir::Files);
  }
};

TEST_F(RunsTest, DryRunChangesNothingReportsWhatTheRunWouldDoAndGoesOnToIt) {
  const QByteArray before = m_sandbox->directory().toLdif();
  click("cmd_DryRun");
  // Nothing written, saved, logged or recorded; no log offered despite the warning.
  EXPECT_EQ(m_sandbox->directory().toLdif(), before);
  EXPECT_EQ(m_saves, 0);
  EXPECT_FALSE(QFileInfo::exists(m_temp.filePath(RunLog::defaultFileName())));
  EXPECT_TRUE(records().isEmpty());
  EXPECT_TRUE(m_prompter.messages.empty()) << m_prompter.messageTexts();
  const QString dryStatus = text("lbl_Stat");
  const QString lastLine = text("txt_help");
  DryRunWindow* report = m_window->dryRunWindow();
  ASSERT_TRUE(report && report->isVisible());
  EXPECT_TRUE(report->report().contains(u"Using 'JaSmith'"_s)) << report->report().toStdString();
  // Save… keeps the report as it is shown.
  m_prompter.texts = {m_temp.filePath(u"report.txt"_s)};
  part<QPushButton>(report, "cmd_Save")->click();
  QFile saved(m_temp.filePath(u"report.txt"_s));
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(saved.readAll()), report->report());
  // Go ! makes the real run, which ends as the dry run said and leaves its record.
  part<QPushButton>(report, "cmd_Go")->click();
  EXPECT_FALSE(report->isVisible());
  EXPECT_TRUE(m_sandbox->directory().contains(u"CN=Jane Smith"_s + kSales));
  EXPECT_EQ(text("lbl_Stat") + text("txt_help"), dryStatus + lastLine);
  EXPECT_EQ(m_saves, 1);
  EXPECT_EQ(records().size(), 1);
}

TEST_F(RunsTest, RunsWindowListsTheRecordsAndTakesARunBackOnceTheUserHasSeenHow) {
  click("cmd_GO");
  const QString john = u"CN=John Smith"_s + kSales;
  ASSERT_TRUE(m_sandbox->directory().contains(john));
  click("cmd_Runs");
  RunsWindow* runs = m_window->runsWindow();
  ASSERT_TRUE(runs && runs->isVisible());
  auto* list = part<QTreeWidget>(runs, "lst_Runs");
  ASSERT_EQ(list->topLevelItemCount(), 1);
  const auto row = [list] {
    QStringList cells;
    for (int c = 1; c < 5; ++c) cells << list->topLevelItem(0)->text(c);
    return cells.join(u" | "_s);
  };
  EXPECT_EQ(row(),
            u"people.csv | 6 OUs, 2 accounts, 2 groups, 3 memberships, 4 folders, 3 "_s
            u"shares | warnings, 2 persons | no"_s);
  // Undo… first shows what the undo would do, changing nothing; No leaves it there.
  m_prompter = ScriptedPrompter();
  part<QPushButton>(runs, "cmd_Undo")->click();
  ASSERT_EQ(m_prompter.messages.size(), 1u);
  const QString plan = part<QPlainTextEdit>(runs, "txt_UndoPlan")->toPlainText();
  EXPECT_TRUE(m_prompter.messages[0].text.contains(plan.section(u'\n', 0, 2)))
      << plan.toStdString();
  EXPECT_EQ(m_prompter.messages[0].buttons, MsgButtons::YesNo);
  EXPECT_TRUE(m_sandbox->directory().contains(john));
  // Yes takes it back as a run goes: its lines in the help box, the bar full, saved, recorded.
  m_prompter.answers = {MsgAnswer::Yes};
  part<QPushButton>(runs, "cmd_Undo")->click();
  EXPECT_FALSE(m_sandbox->directory().contains(john));
  EXPECT_EQ(text("txt_help"), plan.section(u'\n', -1));
  auto* bar = child<QProgressBar>("prg_ListRead");
  EXPECT_EQ(bar->value(), bar->maximum());
  EXPECT_EQ(m_saves, 2);
  EXPECT_EQ(records().size(), 2);
  EXPECT_TRUE(row().endsWith(u" | yes"_s)) << row().toStdString();
}

}  // namespace
}  // namespace quill::test
