// How well the window answers during a long run: a run of many persons
// (10,000 unless a count is given) on a fresh sandbox, while a zero timer
// notes every turn of the event loop. Prints the longest gap between two
// turns and the time from the last turn to the end (summary and save);
// asserts nothing. scripts/screenshot --measure runs it.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "tool_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  const int persons = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;
  if (persons <= 0) {
    std::fprintf(stderr, "usage: quillstead-measure-window [PERSONS]\n");
    return 2;
  }
  quill::tools::ToolWindow tool;
  if (!tool.ok()) return 1;
  tool.prepareRun(persons, 20, 5);

  // The gaps between the timer's firings are the times the window could not respond.
  QElapsedTimer clock;
  qint64 last = -1;
  qint64 longest = 0;
  qint64 longestAt = 0;
  long turns = 0;
  QTimer tick;
  tick.setInterval(0);
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    if (last >= 0 && now - last > longest) {
      longest = now - last;
      longestAt = now;
    }
    last = now;
    ++turns;
  });
  clock.start();
  tick.start();
  tool.child<QPushButton>("cmd_GO")->click();  // returns after the summary and the save
  tick.stop();
  const qint64 end = clock.nsecsElapsed();
  const QString status = tool.child<QLabel>("lbl_Stat")->text();
  std::printf(
      "%d persons in %.1f s; event loop turns %ld; longest gap %.1f ms (at %.1f s); from the "
      "last turn to the end (summary and save) %.1f ms; status \"%s\"\n",
      persons, end / 1e9, turns, longest / 1e6, longestAt / 1e9, (end - last) / 1e6,
      status.toLocal8Bit().constData());
  return status.startsWith(QStringLiteral("%1 users processed").arg(persons)) ? 0 : 1;
}
