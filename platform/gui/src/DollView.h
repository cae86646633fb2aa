#pragma once
#include <string>
#include <gui/IBattlePanel.h>

namespace kavri3D {
namespace zrk {
namespace gui {

/// The card of a doll the player looked at in the battle; closed when the battle is left.
class DollView : public IDollView {
public:
    void open() { mOpen = true; }
    void close() override
    {
        mOpen = false;
        ++mCloses;
    }
    bool isOpen() const { return mOpen; }
    int closes() const { return mCloses; }
    void hide() override
    {
        mTipShown = false;
        mTip.clear();
    }
    void show(const std::string&, const std::string& text, int, int) override
    {
        mTipShown = true;
        mTip = text;
    }
    bool isTipShown() const { return mTipShown; }
    const std::string& tip() const { return mTip; }

private:
    bool mOpen = false;
    int mCloses = 0;
    bool mTipShown = false;
    std::string mTip;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
