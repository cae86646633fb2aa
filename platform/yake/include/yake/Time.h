#pragma once

namespace yake {
namespace native {

/// Seconds since the process started, from a monotonic clock. Tests can switch the clock
/// to manual and move it themselves, so that everything timed runs deterministically.
double getTime();

void setManualClock(bool manual);
bool isManualClock();
void setTime(double seconds);
void advanceTime(double seconds);

} // namespace native
} // namespace yake
