#pragma once
#include <string>

namespace Json {
class Value;
}

namespace kavri3D {
namespace zrk {
namespace gui {

/// Guide texts by key and position, shared with the GUI plug-in.
class IGuideContent {
public:
    virtual ~IGuideContent() = default;
    virtual std::string getString(const std::string& key, int index) = 0;
    virtual Json::Value& getValue(const std::string& key, int index) = 0;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
