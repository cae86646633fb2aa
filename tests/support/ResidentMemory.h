#pragma once
// How much of the process sits in memory now, in MB: what the player's machine pays for a run;
// and the most a piece of work takes at its peak, measured in a process of its own.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace zrktest {

inline double residentMb()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

/// The process's peak resident memory so far, in MB.
inline double peakResidentMb()
{
    double kb = -1;
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::strncmp(line, "VmHWM:", 6) == 0)
                kb = std::atof(line + 6);
        std::fclose(f);
    }
    return kb / 1024.0;
}

/// How far `work`, run in a copy of this process of its own, raises the peak resident memory
/// (MB) above where it stood before; -1 when it could not be measured.
inline double peakGrowthMb(const std::function<void()>& work)
{
    int report[2];
    if (::pipe(report) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        const double before = peakResidentMb();
        work();
        const double growth = peakResidentMb() - before;
        ::_exit(::write(report[1], &growth, sizeof growth) == static_cast<ssize_t>(sizeof growth) ? 0 : 1);
    }
    double growth = -1;
    if (child < 0 || ::read(report[0], &growth, sizeof growth) != static_cast<ssize_t>(sizeof growth))
        growth = -1;
    if (child > 0)
        ::waitpid(child, nullptr, 0);
    ::close(report[0]);
    ::close(report[1]);
    return growth;
}

/// A list of the installation's files just under the 8 MB start-up reads at most: with `tiny`,
/// the smallest entries a list can hold (each takes its folder's long path as its own), else
/// files named and signed as the build lists them.
inline std::string manifestAtTheCap(bool tiny)
{
    const std::size_t cap = 8 * 1024 * 1024 - 64;
    std::string text = "<manifest><folder path=\"/files/" + std::string(tiny ? 3000 : 10, 'f') + "\">";
    const std::string sig = " sig=\"0f69411091ff1cf4542ee1233f9372e16c4afb46\"";
    for (unsigned i = 0;; ++i) {
        const std::string entry = tiny ? "<file name=\"" + std::to_string(i % 10) + "\"/>"
                                       : "<file name=\"tile" + std::to_string(100000 + i) + ".png\"" + sig + "/>";
        if (text.size() + entry.size() + 22 > cap)
            break;
        text += entry;
    }
    return text + "</folder></manifest>";
}

} // namespace zrktest
