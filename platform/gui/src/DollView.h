#pragma once
#include <gui/IBattlePanel.h>

namespace kavri3D {
namespace zrk {
namespace gui {

/// The card of a doll the player looked at in the battle; closed when the battle is left.
class DollView : public IDollView {
public:
    void open() { mOpen = true; }
    void close() override { mOpen = false; ++mCloses; }
    bool isOpen() const { return mOpen; }
    int closes() const { return mCloses; }

private:
    bool mOpen = false;
    int mCloses = 0;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
