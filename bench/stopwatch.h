// Both clocks of one timed call: the CPU time of the calling thread (user and
// kernel, so the file system's work in read and write counts) and wall time.
// The machine is shared; wall time also counts the other programs' turns.
#ifndef QEV_BENCH_STOPWATCH_H
#define QEV_BENCH_STOPWATCH_H

#include <time.h>

#include <chrono>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double ThreadCpuSeconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

inline double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

struct Stopwatch {
    Clock::time_point wall = Clock::now();
    double cpu = ThreadCpuSeconds();

    double CpuSeconds() const { return ThreadCpuSeconds() - cpu; }
    double WallSeconds() const { return Since(wall); }
};

}  // namespace bench

#endif
