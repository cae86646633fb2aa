#pragma once
#include <string>
#include <gui/IBattlePanel.h>
#include "GuiPage.h"

namespace kavri3D {
namespace zrk {
namespace gui {

/// The half-time screen of a mission between two stages ("pve_halftime"): which stage the
/// players won and which comes next. It has no boxes; the next stage's battle takes the screen
/// from it when the server starts it.
class PveHalfTimePage : public GuiPage, public IHalfTimeView {
public:
    static constexpr int kKind = 34;

    PveHalfTimePage(ParamStore& params, ParentSource parent);

    void setStages(const std::string& won, const std::string& next) override;
    bool isShown() const override;

    /// What the screen says, line by line: the stage won, the one coming, and that it comes by itself.
    const std::string& wonText() const { return mWon; }
    const std::string& nextText() const { return mNext; }

protected:
    void buildContent(CEGUI::Window& frame) override;

private:
    std::string mWon;
    std::string mNext;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
