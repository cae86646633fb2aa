#pragma once
#include <functional>
#include <string>
#include <gui/IBattlePanel.h>

namespace CEGUI {
class Window;
}

namespace kavri3D {
namespace zrk {
namespace gui {

/// The card of a doll the player looked at in the battle (closed when the battle is left), and
/// the growth road's tip: a line over the battle bar for the time it was shown for.
class DollView : public IDollView {
public:
    /// Where the tip's window goes (null while there is none).
    typedef std::function<CEGUI::Window*()> ParentSource;

    explicit DollView(ParentSource parent) : mParent(std::move(parent)) {}
    ~DollView() override;
    DollView(const DollView&) = delete;
    DollView& operator=(const DollView&) = delete;

    void open() { mOpen = true; }
    void close() override
    {
        mOpen = false;
        ++mCloses;
    }
    bool isOpen() const { return mOpen; }
    int closes() const { return mCloses; }
    void hide() override;
    /// The tip with its title and text; `milliseconds` 0 or less keeps it until hidden.
    void show(const std::string& title, const std::string& text, int milliseconds, int flags) override;
    /// Every frame with the clock's time: a tip whose time is up goes.
    void update(double now);
    bool isTipShown() const { return mTipShown; }
    const std::string& tip() const { return mTip; }
    /// The tip's window; null while none was made.
    CEGUI::Window* tipWindow() const;
    void destroyWindow();

private:
    ParentSource mParent;
    CEGUI::Window* mWindow = nullptr;
    bool mOpen = false;
    int mCloses = 0;
    bool mTipShown = false;
    std::string mTip;
    double mShownAt = -1.0; ///< when the tip came up; -1 until the next frame tells the time
    double mSeconds = 0.0;  ///< how long it stays; 0 until hidden
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
