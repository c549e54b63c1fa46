#pragma once
// The processor time of the whole process so far (user and system, every thread: the GL
// driver's rasterizer threads too), in ms. The benchmarks divide its growth by the frames drawn.

#include <sys/resource.h>

inline double ProcessCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}
