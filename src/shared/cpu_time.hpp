// Process CPU times (user and system, seconds) from the operating system.
#pragma once

namespace kova {

struct CpuTimes {
    double user = 0.0, sys = 0.0;
};

CpuTimes cpu_now();

// Times of the interval since the previous call on this clock.
class CpuClock {
public:
    CpuClock() : last_(cpu_now()) {}
    CpuTimes lap();

private:
    CpuTimes last_;
};

}  // namespace kova
