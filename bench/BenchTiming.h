#pragma once
// What the benchmarks time with: a steady clock in seconds and the median of samples.
#include <algorithm>
#include <chrono>
#include <vector>

namespace zrkbench {

inline double now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

inline double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace zrkbench
