#pragma once
#include <functional>
#include <string>
#include <gui/IGrowthView.h>

namespace CEGUI {
class Window;
}

namespace kavri3D {
namespace zrk {
namespace gui {

class CallCounter;

/// The player's growth as a short line over the screen ("Level 10!", "Rank 6!"); each notice
/// replaces the last. Counted as "showGrowth.level" or "showGrowth.rank".
class GrowthView : public IGrowthView {
public:
    typedef std::function<CEGUI::Window*()> ParentSource;

    GrowthView(CallCounter& calls, ParentSource parent);
    ~GrowthView() override;
    GrowthView(const GrowthView&) = delete;
    GrowthView& operator=(const GrowthView&) = delete;

    void showGrowth(int value, bool level) override;
    const std::string& lastNotice() const { return mText; }

private:
    CallCounter& mCalls;
    ParentSource mParent;
    std::string mText;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
