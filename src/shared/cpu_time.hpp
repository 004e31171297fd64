// Process CPU times (user and system, seconds) from the operating system.
#pragma once

namespace kova {

// User and system CPU seconds.
struct CpuTimes {
    double user = 0.0, sys = 0.0;
};

// The CPU times the process has used so far.
CpuTimes cpu_now();

// Times of the interval since the previous call on this clock.
class CpuClock {
public:
    CpuClock() : last_(cpu_now()) {}
    // The CPU times since the previous lap (or the start); starts the next interval.
    CpuTimes lap();

private:
    CpuTimes last_;
};

}  // namespace kova
