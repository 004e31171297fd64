#include "shared/cpu_time.hpp"

#include <sys/resource.h>

namespace kova {

CpuTimes cpu_now() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    CpuTimes t;
    t.user =
        static_cast<double>(u.ru_utime.tv_sec) + 1e-6 * static_cast<double>(u.ru_utime.tv_usec);
    t.sys = static_cast<double>(u.ru_stime.tv_sec) + 1e-6 * static_cast<double>(u.ru_stime.tv_usec);
    return t;
}

CpuTimes CpuClock::lap() {
    CpuTimes now = cpu_now();
    CpuTimes d{now.user - last_.user, now.sys - last_.sys};
    last_ = now;
    return d;
}

}  // namespace kova
