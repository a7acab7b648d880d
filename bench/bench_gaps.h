#pragma once
// Bookkeeping of the gaps between two yields of a run: the longest ones with
// their context, and the time of all of them grouped by the log line that
// ended them (the work a gap holds is what the run did before that line).

#include <QString>
#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace quill::bench {

// One gap between two yields, with what the run reported just before it ended.
struct Gap {
  uint64_t wallNs = 0;
  uint64_t cpuNs = 0;    // the run thread's own CPU time in the gap
  long voluntary = 0;    // context switches where it waited (disk)
  long involuntary = 0;  // context switches where another process got the CPU
  int persons = 0;
  bool endedAtLine = false;  // a log line's yield, not the per-person yield
  QString lastLine;
};

// The longest gaps by one measure, longest first.
class LongestGaps {
 public:
  explicit LongestGaps(uint64_t Gap::*key) : m_key(key) {}
  bool qualifies(uint64_t value) const {
    return m_gaps.size() < kKept || value > m_gaps.back().*m_key;
  }
  void add(Gap gap) {
    const auto at = std::find_if(m_gaps.begin(), m_gaps.end(),
                                 [&](const Gap& g) { return g.*m_key < gap.*m_key; });
    m_gaps.insert(at, std::move(gap));
    if (m_gaps.size() > kKept) m_gaps.pop_back();
  }
  const std::vector<Gap>& gaps() const { return m_gaps; }

 private:
  static constexpr size_t kKept = 5;
  uint64_t Gap::*m_key;
  std::vector<Gap> m_gaps;
};

// Count, total and longest wall time of the gaps, by the kind of line that
// ended them.
class GapsByKind {
 public:
  static constexpr std::array<const char*, 8> kLinePrefixes = {
      "Creating user",      "Adding",           "Creating group", "Creating OU",
      "Creating directory", "Creating a share", "Warning",        "Error"};
  static constexpr size_t kOtherLine = kLinePrefixes.size();
  static constexpr size_t kPersonYield = kOtherLine + 1;
  static constexpr size_t kKinds = kPersonYield + 1;

  struct Totals {
    uint64_t count = 0;
    uint64_t sumNs = 0;
    uint64_t maxNs = 0;
  };

  void record(bool endedAtLine, const QString& line, uint64_t ns) {
    Totals& t = m_totals[endedAtLine ? kindOf(line) : kPersonYield];
    ++t.count;
    t.sumNs += ns;
    t.maxNs = std::max(t.maxNs, ns);
  }
  const Totals& totals(size_t kind) const { return m_totals[kind]; }
  static const char* name(size_t kind) {
    if (kind < kLinePrefixes.size()) return kLinePrefixes[kind];
    return kind == kOtherLine ? "(other line)" : "(the person's yield)";
  }

 private:
  static size_t kindOf(const QString& line) {
    for (size_t i = 0; i < kLinePrefixes.size(); ++i) {
      if (line.startsWith(QLatin1StringView(kLinePrefixes[i]))) return i;
    }
    return kOtherLine;
  }
  std::array<Totals, kKinds> m_totals{};
};

}  // namespace quill::bench
