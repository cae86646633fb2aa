#include "CallCounter.h"

namespace kavri3D {
namespace zrk {
namespace gui {

int CallCounter::count(const std::string& operation) const
{
    auto it = mCounts.find(operation);
    return it == mCounts.end() ? 0 : it->second;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
