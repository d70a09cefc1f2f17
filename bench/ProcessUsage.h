#pragma once
// What this process has used so far: processor time and peak resident memory.
#include <sys/resource.h>

#include <cstdio>

// User and system time of every thread of the process, in seconds.
inline double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The largest resident set the process has had, in megabytes.
inline double PeakResidentMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;  // kilobytes on Linux
}

// The largest resident set of this process's own memory since it last started a program, in
// megabytes (VmHWM). Unlike the peak above, it leaves out what a parent had when it started
// this process; 0 when it cannot be read.
inline double ResidentHighWaterMegabytes() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) return 0;
    char line[256];
    long kilobytes = 0;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::sscanf(line, "VmHWM: %ld kB", &kilobytes) == 1) break;
    }
    std::fclose(status);
    return kilobytes / 1024.0;
}
