#pragma once
#include <gui/IGuiWrapper.h>

#include <gui/BagData.h>

namespace kavri3D {
namespace zrk {

/// Gives the GUI the record of an item id, filled from the equipment resources.
class Wrapper : public gui::IGuiWrapper {
public:
    /// An empty record with the id when there are no equipment resources.
    gui::BagData getItemRecord(int itemId) override;
};

} // namespace zrk
} // namespace kavri3D
