// One whole run on a fresh sandbox, measured: persons a second, how long the
// run holds the thread between two yields (what keeps the window responsive),
// the final save, and how memory grows compared with the directory it builds.
//
//   sandbox_run_bench [PERSONS] [WORK_DIR]
//
// PERSONS defaults to 100000. WORK_DIR receives the user list, the sandbox
// and the run log and is kept; without it a temporary folder is used and
// removed at the end. The run uses the full tree with every folder option and
// a private container per department: the heaviest folder layout (a public
// and a private tree under each department folder, two shares a department).
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bench_gaps.h"
#include "bench_measure.h"
#include "bench_user_list.h"
#include "core/run_host.h"
#include "core/run_options.h"
#include "core/user_name_pattern.h"
#include "engine/run_driver.h"
#include "engine/run_log.h"
#include "sandbox/memory_directory.h"
#include "sandbox/sandbox.h"

namespace {

using namespace quill::bench;

constexpr int kDefaultPersons = 100000;
constexpr int kDepartments = 200;
constexpr int kDuties = 50;
constexpr int kSamplePoints = 10;  // memory and time every tenth of the list
constexpr uint64_t kLongGapNs = 1'000'000;

struct Sample {
  int persons = 0;
  double seconds = 0;
  ProcMemory memory;
  size_t heapBytes = 0;
  int entries = 0;
};

Sample takeSample(int persons, double seconds, const quill::MemoryDirectory& directory) {
  return Sample{persons, seconds, readProcMemory(), heapInUse(), directory.entryCount()};
}

// The run's host: answers every question Yes (or Ok), keeps the messages it
// was shown, and measures each gap between two yields in wall time and in the
// run thread's CPU time, so time lost to other processes can be told apart
// from the run's own work.
class BenchHost : public quill::RunHost {
 public:
  BenchHost(quill::RunOptions options, const quill::MemoryDirectory& directory, int persons)
      : m_options(std::move(options)), m_directory(directory) {
    for (int i = 1; i <= kSamplePoints; ++i) {
      m_checkpoints.push_back(std::max(1, static_cast<int>(int64_t{persons} * i / kSamplePoints)));
    }
  }

  quill::RunOptions options() override { return m_options; }

  quill::MsgAnswer ask(const QString& text, quill::MsgButtons buttons,
                       quill::MsgIcon icon) override {
    (void)icon;
    m_messages.append(text);
    return buttons == quill::MsgButtons::Ok ? quill::MsgAnswer::Ok : quill::MsgAnswer::Yes;
  }

  void setStatus(const QString& text) override {
    if (!text.endsWith(QLatin1String(" users processed "))) return;
    bool ok = false;
    const int n = QStringView(text).left(text.indexOf(u' ')).toInt(&ok);
    if (ok) m_persons = n;
  }

  void setHelp(const QString& text) override {
    ++m_lines;
    m_lineChars += text.size();
    m_lastLine = text;
    m_lineSinceYield = true;
  }

  void setBusy(bool busy) override { (void)busy; }

  void yield() override {
    const Clock::time_point now = Clock::now();
    const uint64_t cpu = threadCpuNanos();
    const Switches switches = threadSwitches();
    const uint64_t wallNs = nanosBetween(m_prev, now);
    const uint64_t cpuNs = cpu - m_prevCpu;
    const long voluntary = switches.voluntary - m_prevSwitches.voluntary;
    const long involuntary = switches.involuntary - m_prevSwitches.involuntary;
    m_wall.record(wallNs);
    m_cpu.record(cpuNs);
    m_byKind.record(m_lineSinceYield, m_lastLine, wallNs);
    if (wallNs > kLongGapNs) {
      if (involuntary > 0) {
        ++m_longPreempted;
      } else if (voluntary > 0) {
        ++m_longWaited;
      } else {
        ++m_longBusy;
      }
    }
    if (m_longestWall.qualifies(wallNs) || m_longestCpu.qualifies(cpuNs)) {
      const Gap gap{wallNs, cpuNs, voluntary, involuntary, m_persons, m_lineSinceYield, m_lastLine};
      if (m_longestWall.qualifies(wallNs)) m_longestWall.add(gap);
      if (m_longestCpu.qualifies(cpuNs)) m_longestCpu.add(gap);
    }
    m_lineSinceYield = false;
    if (m_next < m_checkpoints.size() && m_persons >= m_checkpoints[m_next]) {
      m_samples.push_back(takeSample(m_persons, secondsSince(m_start), m_directory));
      ++m_next;
    }
    // The bench's own bookkeeping is not the run's time.
    m_prevSwitches = threadSwitches();
    m_prevCpu = threadCpuNanos();
    m_prev = Clock::now();
  }

  void writeBackDirRoot(const QString& root) override { m_options.txt_DirRoot = root; }
  void openLog(const QString& path) override { (void)path; }

  void start() {
    m_prevSwitches = threadSwitches();
    m_prevCpu = threadCpuNanos();
    m_start = Clock::now();
    m_prev = m_start;
  }
  // Time from the last yield to now (the summary and the clean-up).
  uint64_t sinceLastYield() const { return nanosBetween(m_prev, Clock::now()); }

  const DurationHistogram& wallGaps() const { return m_wall; }
  const DurationHistogram& cpuGaps() const { return m_cpu; }
  const GapsByKind& byKind() const { return m_byKind; }
  const std::vector<Gap>& longestByWall() const { return m_longestWall.gaps(); }
  const std::vector<Gap>& longestByCpu() const { return m_longestCpu.gaps(); }
  uint64_t longPreempted() const { return m_longPreempted; }
  uint64_t longWaited() const { return m_longWaited; }
  uint64_t longBusy() const { return m_longBusy; }
  const std::vector<Sample>& samples() const { return m_samples; }
  const QStringList& messages() const { return m_messages; }
  int64_t lines() const { return m_lines; }
  int64_t lineChars() const { return m_lineChars; }
  int persons() const { return m_persons; }

 private:
  quill::RunOptions m_options;
  const quill::MemoryDirectory& m_directory;
  std::vector<int> m_checkpoints;
  size_t m_next = 0;
  std::vector<Sample> m_samples;
  DurationHistogram m_wall;
  DurationHistogram m_cpu;
  GapsByKind m_byKind;
  LongestGaps m_longestWall{&Gap::wallNs};
  LongestGaps m_longestCpu{&Gap::cpuNs};
  uint64_t m_longPreempted = 0;
  uint64_t m_longWaited = 0;
  uint64_t m_longBusy = 0;
  QStringList m_messages;
  QString m_lastLine;
  bool m_lineSinceYield = false;
  int64_t m_lines = 0;
  int64_t m_lineChars = 0;
  int m_persons = 0;
  Clock::time_point m_start;
  Clock::time_point m_prev;
  uint64_t m_prevCpu = 0;
  Switches m_prevSwitches;
};

// The run log's cost: count lines of chars characters written through a log
// of its own in folder, with the run's settings (date and time prefix, 1024 KB
// rotation), and how much of that the prefix (date and time text) takes.
struct LogCost {
  double seconds = 0;
  double prefixSeconds = 0;
};

LogCost timeLogLines(const QString& folder, int64_t count, int chars) {
  quill::RunLog log;
  QString dir = folder;
  QString name = QStringLiteral("log_share.log");
  log.OpenRunLog({.IncludeDate = true, .IncludeTime = true}, dir, name, 0);
  const QString text =
      QStringLiteral("Adding 'LDAP://example.test/CN=Anna Bakodu,OU=Dept001,OU=Users,OU=OU's")
          .leftJustified(std::max(chars, 1), u'x', true);
  LogCost cost;
  Clock::time_point start = Clock::now();
  for (int64_t i = 0; i < count; ++i) log.WriteLogLine(text);
  cost.seconds = secondsSince(start);
  start = Clock::now();
  qsizetype sink = 0;
  for (int64_t i = 0; i < count; ++i) sink += log.linePrefix().size();
  cost.prefixSeconds = sink > 0 ? secondsSince(start) : 0;
  return cost;
}

const char* outcomeName(quill::RunOutcome outcome) {
  switch (outcome) {
    case quill::RunOutcome::Success:
      return "success";
    case quill::RunOutcome::Warnings:
      return "warnings";
    case quill::RunOutcome::Errors:
      return "errors";
    case quill::RunOutcome::EndedEarly:
      return "ended early";
    case quill::RunOutcome::AlreadyRunning:
      return "already running";
  }
  return "?";
}

void printGap(const Gap& gap) {
  std::printf(
      "  wall %7.3f ms, cpu %7.3f ms, switches %ld vol/%ld invol, person %d, ended at "
      "%s: %s\n",
      ms(gap.wallNs), ms(gap.cpuNs), gap.voluntary, gap.involuntary, gap.persons,
      gap.endedAtLine ? "a log line" : "the person's yield", qPrintable(gap.lastLine.left(90)));
}

void printPercentiles(const char* label, const DurationHistogram& h) {
  std::printf(
      "%-5s p50 %.4f ms, p99 %.4f ms, p99.9 %.4f ms, max %.3f ms; over 1 ms: %llu, over "
      "10 ms: %llu, over 50 ms: %llu\n",
      label, ms(h.percentile(0.5)), ms(h.percentile(0.99)), ms(h.percentile(0.999)), ms(h.max()),
      static_cast<unsigned long long>(h.over1ms()), static_cast<unsigned long long>(h.over10ms()),
      static_cast<unsigned long long>(h.over50ms()));
}

// Memory growth between two samples, per person and per directory entry.
void printGrowth(const char* label, const Sample& a, const Sample& b) {
  const double persons = b.persons - a.persons;
  const double entries = b.entries - a.entries;
  if (persons <= 0 || entries <= 0) return;
  const double rss = (b.memory.rssKb - a.memory.rssKb) * 1024.0;
  const double heap = static_cast<double>(b.heapBytes) - static_cast<double>(a.heapBytes);
  std::printf(
      "  %-20s +%6.0f entries (%.2f a person): RSS %5.0f B/person %5.0f B/entry, "
      "heap %5.0f B/person %5.0f B/entry\n",
      label, entries, entries / persons, rss / persons, rss / entries, heap / persons,
      heap / entries);
}

void printMemory(const Sample& before, const std::vector<Sample>& s, const Sample& afterRun,
                 const ProcMemory& afterSave, qint64 ldifBytes) {
  std::printf("\n== memory\n");
  std::printf("%-9s %8s %10s %10s %10s %10s\n", "persons", "time s", "entries", "RSS MiB",
              "heap MiB", "HWM MiB");
  const auto row = [](const Sample& x) {
    std::printf("%-9d %8.2f %10d %10.1f %10.1f %10.1f\n", x.persons, x.seconds, x.entries,
                x.memory.rssKb / 1024.0, mib(static_cast<double>(x.heapBytes)),
                x.memory.hwmKb / 1024.0);
  };
  row(before);
  for (const Sample& x : s) row(x);
  std::printf(
      "after the run: RSS %.1f MiB, peak %.1f MiB; after the save: RSS %.1f MiB, peak "
      "(VmHWM) %.1f MiB (+%.1f MiB during the save)\n",
      afterRun.memory.rssKb / 1024.0, afterRun.memory.hwmKb / 1024.0, afterSave.rssKb / 1024.0,
      afterSave.hwmKb / 1024.0, (afterSave.hwmKb - afterRun.memory.hwmKb) / 1024.0);
  if (s.size() != static_cast<size_t>(kSamplePoints)) return;

  const Sample& tenth = s.front();
  const Sample& half = s[kSamplePoints / 2 - 1];
  std::printf("growth (directory entries made vs memory taken):\n");
  printGrowth("first tenth -> half", tenth, half);
  printGrowth("half -> end", half, s.back());
  printGrowth("first tenth -> end", tenth, s.back());
  if (afterRun.entries > 0 && ldifBytes > 0 && s.back().entries > tenth.entries) {
    const double ldifPerEntry = static_cast<double>(ldifBytes) / afterRun.entries;
    const double heapPerEntry =
        (static_cast<double>(s.back().heapBytes) - static_cast<double>(tenth.heapBytes)) /
        (s.back().entries - tenth.entries);
    std::printf("  LDIF text %.0f B/entry; the heap holds %.1f times that per entry\n",
                ldifPerEntry, heapPerEntry / ldifPerEntry);
  }
  std::printf("throughput by tenth of the list (persons/s):");
  double prevTime = 0;
  int prevPersons = 0;
  for (const Sample& x : s) {
    const double dt = x.seconds - prevTime;
    std::printf(" %.0f", dt > 0 ? (x.persons - prevPersons) / dt : 0.0);
    prevTime = x.seconds;
    prevPersons = x.persons;
  }
  std::printf("\n");
}

void printUsage() {
  std::printf(
      "usage: sandbox_run_bench [PERSONS] [WORK_DIR]\n"
      "  PERSONS   persons in the generated user list (default %d)\n"
      "  WORK_DIR  folder for the list, the sandbox and the run log (kept);\n"
      "            default: a temporary folder, removed at the end\n",
      kDefaultPersons);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  app.setApplicationName(QStringLiteral("sandbox_run_bench"));

  const QStringList args = app.arguments().mid(1);
  if (args.contains(QStringLiteral("-h")) || args.contains(QStringLiteral("--help"))) {
    printUsage();
    return 0;
  }
  int persons = kDefaultPersons;
  bool ok = true;
  if (!args.isEmpty()) persons = args[0].toInt(&ok);
  if (!ok || persons < 1 || args.size() > 2) {
    printUsage();
    return 64;
  }

  QTemporaryDir temp;
  QString work;
  if (args.size() < 2) {
    if (!temp.isValid()) {
      std::fprintf(stderr, "sandbox_run_bench: no temporary folder\n");
      return 1;
    }
    work = temp.path();
  } else {
    work = QDir(args[1]).absolutePath();
    if (!QDir().mkpath(work)) {
      std::fprintf(stderr, "sandbox_run_bench: cannot create %s\n", qPrintable(work));
      return 1;
    }
  }
  const QString listPath = work + QStringLiteral("/users.csv");
  const QString sandboxDir = work + QStringLiteral("/sandbox");
  if (QFileInfo::exists(sandboxDir)) {
    std::fprintf(stderr, "sandbox_run_bench: %s exists; the run needs a fresh sandbox\n",
                 qPrintable(sandboxDir));
    return 1;
  }

  std::printf(
      "sandbox_run_bench: %d persons, %d departments, %d duties; full tree, department "
      "and duty groups, folders S=D=P=1 with a private container per department\n",
      persons, kDepartments, kDuties);
  std::printf("work folder         %s%s\n", qPrintable(work),
              args.size() < 2 ? " (temporary)" : "");
  std::printf("load average before %s (%d CPUs)\n", loadAverage().c_str(),
              QThread::idealThreadCount());

  Clock::time_point t = Clock::now();
  QString error;
  if (!writeUserList(listPath, persons, kDepartments, kDuties, &error)) {
    std::fprintf(stderr, "sandbox_run_bench: %s\n", qPrintable(error));
    return 1;
  }
  std::printf("user list           %.1f MiB written in %.2f s\n",
              mib(static_cast<double>(QFileInfo(listPath).size())), secondsSince(t));

  std::unique_ptr<quill::Sandbox> sandbox = quill::Sandbox::open(sandboxDir, &error);
  if (!sandbox) {
    std::fprintf(stderr, "sandbox_run_bench: %s\n", qPrintable(error));
    return 1;
  }
  QDir::setCurrent(work);  // the run log goes to the current directory

  quill::RunOptions options;  // the window's start-up values: the full tree
  options.txt_CSVFile = listPath;
  options.txt_Domain = quill::Sandbox::defaultDomain();
  options.txt_DirRoot = QStringLiteral("\\\\files\\data");
  options.chk_PubDirSingle = true;
  options.chk_PubDirDep = true;
  options.chk_PrivDir = true;
  options.opt_PrivateDirsLocation = quill::kPrivateDirsPerDepartment;
  options.txt_Password = {quill::defaultInitialPassword(), quill::defaultInitialPassword()};

  BenchHost host(options, sandbox->directory(), persons);
  quill::RunLog runLog;
  const quill::UserNamePatterns patterns;
  quill::RunDriver driver(sandbox->platform(), host, runLog, patterns);

  const Sample before = takeSample(0, 0, sandbox->directory());
  const double cpuBefore = processCpuSeconds();
  const long stealBefore = stealTicks();
  host.start();
  t = Clock::now();
  const quill::RunOutcome outcome = driver.cmd_GO_Click();
  const double runSeconds = secondsSince(t);
  const uint64_t tail = host.sinceLastYield();
  const double runCpu = processCpuSeconds() - cpuBefore;
  const long runSteal = stealTicks() - stealBefore;
  const Sample afterRun = takeSample(host.persons(), runSeconds, sandbox->directory());
  const std::string loadAfterRun = loadAverage();

  t = Clock::now();
  const bool saved = sandbox->save(&error);
  const double saveSeconds = secondsSince(t);
  const ProcMemory afterSave = readProcMemory();
  const qint64 ldifBytes = QFileInfo(sandboxDir + QStringLiteral("/directory.ldif")).size();

  // The log's share: the run's number of lines at their mean length, written
  // through a log of their own (at most 50000, then scaled).
  const int64_t logLines = std::min<int64_t>(host.lines(), 50000);
  const int meanChars = host.lines() > 0 ? static_cast<int>(host.lineChars() / host.lines()) : 80;
  const LogCost logCost = logLines > 0 ? timeLogLines(work, logLines, meanChars) : LogCost{};
  const double scale = logLines > 0 ? static_cast<double>(host.lines()) / logLines : 0;

  std::printf("\n== run\n");
  std::printf("outcome             %s, %d persons processed, %lld log lines (%.2f a person)\n",
              outcomeName(outcome), host.persons(), static_cast<long long>(host.lines()),
              host.persons() ? static_cast<double>(host.lines()) / host.persons() : 0.0);
  for (const QString& message : host.messages()) {
    std::printf("message             %s\n", qPrintable(message.simplified()));
  }
  std::printf("run time            %.2f s, %.0f persons/s\n", runSeconds,
              host.persons() / runSeconds);
  std::printf(
      "cpu during the run  %.2f s (%.0f %% of the run time); steal time of the machine "
      "(vCPUs held back by the host) %.2f s\n",
      runCpu, 100.0 * runCpu / runSeconds, runSteal / 100.0);
  std::printf("load average after  %s\n", loadAfterRun.c_str());

  std::printf("\n== yields: how long the run holds the thread between two yields\n");
  std::printf("yields %llu (%.2f a person), mean gap %.4f ms wall, %.4f ms cpu\n",
              static_cast<unsigned long long>(host.wallGaps().count()),
              host.persons() ? static_cast<double>(host.wallGaps().count()) / host.persons() : 0.0,
              host.wallGaps().meanMs(), host.cpuGaps().meanMs());
  printPercentiles("wall", host.wallGaps());
  printPercentiles("cpu", host.cpuGaps());
  std::printf(
      "gaps over 1 ms wall: %llu with the CPU given to another process, %llu waiting "
      "(voluntary switch only), %llu running throughout\n",
      static_cast<unsigned long long>(host.longPreempted()),
      static_cast<unsigned long long>(host.longWaited()),
      static_cast<unsigned long long>(host.longBusy()));
  std::printf("after the last yield %.3f ms (summary and clean-up)\n", ms(tail));
  std::printf("gap time by the line that ended it (the work before that line):\n");
  for (size_t kind = 0; kind < GapsByKind::kKinds; ++kind) {
    const GapsByKind::Totals& t = host.byKind().totals(kind);
    if (t.count == 0) continue;
    std::printf("  %-22s %8llu gaps, %8.1f ms in all (%4.1f %%), mean %.4f ms, max %.3f ms\n",
                GapsByKind::name(kind), static_cast<unsigned long long>(t.count), ms(t.sumNs),
                100.0 * ms(t.sumNs) / 1000.0 / runSeconds,
                ms(t.sumNs) / static_cast<double>(t.count), ms(t.maxNs));
  }
  std::printf("longest by wall time:\n");
  for (const Gap& gap : host.longestByWall()) printGap(gap);
  std::printf("longest by the run's own CPU time:\n");
  for (const Gap& gap : host.longestByCpu()) printGap(gap);

  std::printf("\n== run log (a line is opened, appended, closed and its size read)\n");
  std::printf(
      "%lld lines of ~%d characters + prefix: %.2f s estimated, %.0f %% of the run "
      "(%.1f us a line, of which the date and time prefix %.1f us; measured on %lld "
      "lines)\n",
      static_cast<long long>(host.lines()), meanChars, logCost.seconds * scale,
      100.0 * logCost.seconds * scale / runSeconds,
      logLines ? 1e6 * logCost.seconds / static_cast<double>(logLines) : 0.0,
      logLines ? 1e6 * logCost.prefixSeconds / static_cast<double>(logLines) : 0.0,
      static_cast<long long>(logLines));

  std::printf("\n== save (after the run, outside the yield figures)\n");
  std::printf("Sandbox::save       %s in %.3f s, directory.ldif %.1f MiB, %d entries\n",
              saved ? "done" : qPrintable(QStringLiteral("FAILED: ") + error), saveSeconds,
              mib(static_cast<double>(ldifBytes)), afterRun.entries);

  printMemory(before, host.samples(), afterRun, afterSave, ldifBytes);
  std::printf("load average at end %s\n", loadAverage().c_str());
  return saved && outcome != quill::RunOutcome::EndedEarly ? 0 : 1;
}
