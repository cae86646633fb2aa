// The list of the installation's files read at its size limit (8 MB, what start-up reads at
// the most): the time and the peak memory the read takes, each in a process of its own, for
// files listed as the build lists them and for the smallest entries a list can hold (each one
// taking its folder's long path for its own: refused within the read's budget). Last line:
// `manifest files_ms=<ms> files_peak_mb=<MB> tiny_ms=<ms> tiny_peak_mb=<MB>`. Exits non-zero
// when a read is over 1 s or its peak over 96 MB.
#include <chrono>
#include <cstdio>
#include <string>
#include <util/Manifest.h>

#include "support/ResidentMemory.h"

namespace {

const double kMostSeconds = 1.0;
const double kMostPeakMb = 96.0;

struct Reading {
    double ms = 0;
    double peakMb = 0;
    bool read = false;
    std::size_t files = 0;
};

Reading measure(bool tiny)
{
    const std::string text = zrktest::manifestAtTheCap(tiny);
    Reading r;
    const auto start = std::chrono::steady_clock::now();
    {
        kavri3D::core::Manifest manifest;
        r.read = manifest.read(text);
        for (const auto& folder : manifest.getFolders())
            r.files += folder.items.size();
    }
    r.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    r.peakMb = zrktest::peakGrowthMb([&] {
        kavri3D::core::Manifest manifest;
        (void)manifest.read(text);
    });
    std::printf("manifest of %.1f MB, %s: %s, %zu files, %.0f ms, peak +%.1f MB\n", text.size() / 1048576.0,
                tiny ? "tiny entries under a long folder path" : "files as the build lists them",
                r.read ? "read" : "refused", r.files, r.ms, r.peakMb);
    return r;
}

} // namespace

int main()
{
    const Reading files = measure(false), tiny = measure(true);
    std::printf("manifest files_ms=%.0f files_peak_mb=%.1f tiny_ms=%.0f tiny_peak_mb=%.1f (targets: under %.0f ms, "
                "under %.0f MB)\n",
                files.ms, files.peakMb, tiny.ms, tiny.peakMb, kMostSeconds * 1000, kMostPeakMb);
    const bool met = files.read && files.ms < kMostSeconds * 1000 && tiny.ms < kMostSeconds * 1000 &&
                     files.peakMb >= 0 && files.peakMb < kMostPeakMb && tiny.peakMb >= 0 && tiny.peakMb < kMostPeakMb;
    return met ? 0 : 1;
}
