#pragma once
#include <string>
#include <vector>
#include <gui/IBattlePanel.h>
#include "GuiPage.h"

namespace kavri3D {
namespace zrk {
namespace gui {

/// A box-opening screen of a staged battle's half time: the room's boxes, a row per seat with
/// the box its player opened and what was in it, and the seconds left to choose.
class BoxPanel : public GuiPage, public IBoxPanel {
public:
    BoxPanel(int kind, const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent);

    void setOffers(const std::vector<IBattleOver::BoxOffer>& offers) override;
    void setCountDown(float start, float end) override;
    void setSlots(const std::vector<IBattleOver::AwardSlot>& slots) override;
    void update(float now) override;
    bool isShown() const override;

    const std::vector<IBattleOver::BoxOffer>& offers() const { return mOffers; }
    const std::vector<IBattleOver::AwardSlot>& slots() const { return mSlots; }
    /// Whole seconds left of the count-down (0 when it is over or none runs).
    int secondsLeft() const { return mLeft; }

protected:
    void buildContent(CEGUI::Window& frame) override;

private:
    void redraw();

    std::vector<IBattleOver::BoxOffer> mOffers;
    std::vector<IBattleOver::AwardSlot> mSlots;
    float mStart = -1.0f, mEnd = -1.0f;
    int mLeft = 0;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
