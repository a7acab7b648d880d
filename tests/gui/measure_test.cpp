// Responsiveness of the window during a long run. Prints figures, asserts no
// timing; runs only with QUILLSTEAD_MEASURE=1.
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "support/gui_support.h"

namespace quill::test {
namespace {

class MeasureTest : public WindowTest {
 protected:
  void SetUp() override {
    if (qEnvironmentVariable("QUILLSTEAD_MEASURE") != u"1") {
      GTEST_SKIP() << "set QUILLSTEAD_MEASURE=1 to measure";
    }
    WindowTest::SetUp();
  }
};

TEST_F(MeasureTest, MeasureLongestEventGapDuringTenThousandPersons) {
  constexpr int kPersons = 10000;
  QStringList persons;
  for (int i = 0; i < kPersons; ++i) {
    persons << QStringLiteral("First%1,Last%1,Person %1,Department%2,Duty%3,555-%1")
                   .arg(i)
                   .arg(i % 20)
                   .arg(i % 5);
  }
  prepareRun(writeUserList(QStringLiteral("many.csv"), persons), QStringLiteral("\\\\files\\data"));

  // A zero timer fires whenever the event loop gets a turn: the gaps between
  // its firings are the times the window could not respond.
  QElapsedTimer clock;
  qint64 last = -1;
  qint64 longest = 0;
  qint64 longestAt = 0;
  long firings = 0;
  QTimer tick;
  tick.setInterval(0);
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    if (last >= 0 && now - last > longest) {
      longest = now - last;
      longestAt = now;
    }
    last = now;
    ++firings;
  });
  clock.start();
  tick.start();
  child<QPushButton>("cmd_GO")->click();
  tick.stop();
  // The click returns after the summary and the save of the sandbox, which
  // hold the window too.
  const qint64 end = clock.nsecsElapsed();
  const qint64 finalGap = end - last;
  const double total = end / 1e9;

  const QString status = child<QLabel>("lbl_Stat")->text();
  EXPECT_TRUE(status.startsWith(QStringLiteral("%1 users processed").arg(kPersons)))
      << status.toStdString();
  std::printf(
      "[ MEASURE  ] %d persons in %.1f s; event loop turns %ld; longest gap %.1f ms "
      "(at %.1f s); from the last turn to the end (summary and save) %.1f ms; status \"%s\"\n",
      kPersons, total, firings, longest / 1e6, longestAt / 1e9, finalGap / 1e6,
      status.toUtf8().constData());
  RecordProperty("longest_gap_ms", QString::number(longest / 1e6, 'f', 1).toStdString());
  RecordProperty("final_gap_ms", QString::number(finalGap / 1e6, 'f', 1).toStdString());
  RecordProperty("run_seconds", QString::number(total, 'f', 1).toStdString());
}

}  // namespace
}  // namespace quill::test
