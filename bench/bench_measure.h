#pragma once
// Measuring helpers of the benchmarks: a constant-size histogram of durations,
// the process's memory as the kernel and the allocator see it, CPU time and
// the machine's load. Linux only (/proc, getrusage, mallinfo2).

#include <malloc.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace quill::bench {

using Clock = std::chrono::steady_clock;

inline double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

inline uint64_t nanosBetween(Clock::time_point from, Clock::time_point to) {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(to - from).count());
}

inline double ms(uint64_t ns) { return static_cast<double>(ns) / 1e6; }
inline double mib(double bytes) { return bytes / (1024.0 * 1024.0); }

// Durations in nanoseconds in log-linear buckets (32 for each power of two,
// so a percentile is within about 3 %). Its size does not depend on how many
// durations it has seen.
class DurationHistogram {
 public:
  void record(uint64_t ns) {
    ++m_counts[bucketOf(ns)];
    ++m_total;
    m_sum += ns;
    m_max = std::max(m_max, ns);
    if (ns > 1'000'000) ++m_over1ms;
    if (ns > 10'000'000) ++m_over10ms;
    if (ns > 50'000'000) ++m_over50ms;
  }
  uint64_t count() const { return m_total; }
  uint64_t max() const { return m_max; }
  uint64_t sum() const { return m_sum; }
  double meanMs() const { return m_total ? ms(m_sum) / static_cast<double>(m_total) : 0.0; }
  uint64_t over1ms() const { return m_over1ms; }
  uint64_t over10ms() const { return m_over10ms; }
  uint64_t over50ms() const { return m_over50ms; }

  // The upper edge of the bucket that holds the q-quantile, at most the maximum.
  uint64_t percentile(double q) const {
    if (m_total == 0) return 0;
    const auto rank = std::max<uint64_t>(1, static_cast<uint64_t>(std::ceil(q * m_total)));
    uint64_t seen = 0;
    for (size_t i = 0; i < m_counts.size(); ++i) {
      seen += m_counts[i];
      if (seen >= rank) return std::min(upperOf(i), m_max);
    }
    return m_max;
  }

 private:
  static constexpr int kSubBits = 5;
  static constexpr uint64_t kSub = uint64_t{1} << kSubBits;

  static size_t bucketOf(uint64_t v) {
    if (v < 2 * kSub) return static_cast<size_t>(v);
    const int shift = 63 - std::countl_zero(v) - kSubBits;  // at least 1
    const uint64_t mantissa = v >> shift;                   // in [kSub, 2 kSub)
    return static_cast<size_t>(2 * kSub + (shift - 1) * kSub + (mantissa - kSub));
  }
  static uint64_t upperOf(size_t i) {
    if (i < 2 * kSub) return i;
    const uint64_t shift = (i - 2 * kSub) / kSub + 1;
    const uint64_t mantissa = (i - 2 * kSub) % kSub + kSub;
    return ((mantissa + 1) << shift) - 1;
  }

  std::array<uint64_t, 2 * kSub + (64 - kSubBits) * kSub> m_counts{};
  uint64_t m_total = 0;
  uint64_t m_sum = 0;
  uint64_t m_max = 0;
  uint64_t m_over1ms = 0;
  uint64_t m_over10ms = 0;
  uint64_t m_over50ms = 0;
};

// Resident set now and its peak (VmRSS, VmHWM of /proc/self/status), in KiB.
struct ProcMemory {
  long rssKb = 0;
  long hwmKb = 0;
};

inline ProcMemory readProcMemory() {
  ProcMemory m;
  std::FILE* f = std::fopen("/proc/self/status", "r");
  if (f == nullptr) return m;
  char line[256];
  while (std::fgets(line, sizeof line, f) != nullptr) {
    std::sscanf(line, "VmRSS: %ld", &m.rssKb);
    std::sscanf(line, "VmHWM: %ld", &m.hwmKb);
  }
  std::fclose(f);
  return m;
}

// Bytes the allocator has handed out and not got back.
inline size_t heapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// CPU time of the calling thread: what it ran, whatever else ran meanwhile.
inline uint64_t threadCpuNanos() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1'000'000'000u + static_cast<uint64_t>(ts.tv_nsec);
}

// Context switches of the calling thread: voluntary (it waited, e.g. for the
// disk) and involuntary (the scheduler gave the CPU to another process).
struct Switches {
  long voluntary = 0;
  long involuntary = 0;
};

inline Switches threadSwitches() {
  struct rusage usage {};
  getrusage(RUSAGE_THREAD, &usage);
  return Switches{usage.ru_nvcsw, usage.ru_nivcsw};
}

inline double processCpuSeconds() {
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Steal time of the whole machine in clock ticks (1/100 s): time the
// hypervisor ran something else while a virtual CPU wanted to run.
inline long stealTicks() {
  std::FILE* f = std::fopen("/proc/stat", "r");
  if (f == nullptr) return 0;
  long v[8] = {};
  const int n = std::fscanf(f, "cpu %ld %ld %ld %ld %ld %ld %ld %ld", &v[0], &v[1], &v[2], &v[3],
                            &v[4], &v[5], &v[6], &v[7]);
  std::fclose(f);
  return n == 8 ? v[7] : 0;
}

// The first three fields of /proc/loadavg, plus running/total tasks.
inline std::string loadAverage() {
  std::FILE* f = std::fopen("/proc/loadavg", "r");
  if (f == nullptr) return "?";
  char text[128] = {};
  if (std::fgets(text, sizeof text, f) == nullptr) text[0] = '\0';
  std::fclose(f);
  std::string s(text);
  while (!s.empty() && s.back() == '\n') s.pop_back();
  return s;
}

}  // namespace quill::bench
