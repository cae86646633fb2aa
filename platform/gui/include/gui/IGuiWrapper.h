#pragma once

namespace kavri3D {
namespace zrk {
namespace gui {

struct BagData;

/// Through it the GUI asks the game for the record of an item id.
class IGuiWrapper {
public:
    virtual ~IGuiWrapper() = default;
    virtual BagData getItemRecord(int itemId) = 0;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
