#pragma once
#include <map>
#include <string>

namespace kavri3D {
namespace zrk {
namespace gui {

/// How often each notification reached the GUI, for tests and the embedded default.
class CallCounter {
public:
    void add(const std::string& operation) { ++mCounts[operation]; }
    int count(const std::string& operation) const;

private:
    std::map<std::string, int> mCounts;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
