#include "yake/Time.h"

#include <chrono>

namespace yake {
namespace native {

namespace {
struct Clock {
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    bool manual = false;
    double manualTime = 0.0;
};
Clock& clock()
{
    static Clock theClock;
    return theClock;
}
} // namespace

double getTime()
{
    Clock& c = clock();
    if (c.manual)
        return c.manualTime;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - c.start).count();
}

void setManualClock(bool manual)
{
    Clock& c = clock();
    if (manual && !c.manual)
        c.manualTime = getTime();
    c.manual = manual;
}

bool isManualClock() { return clock().manual; }
void setTime(double seconds) { clock().manualTime = seconds; }
void advanceTime(double seconds) { clock().manualTime += seconds; }

} // namespace native
} // namespace yake
