#pragma once
#include <CEGUI/Event.h>
#include <boost/shared_ptr.hpp>
#include <functional>
#include <string>
#include <gui/IGuideView.h>

namespace CEGUI {
class EventArgs;
class Window;
} // namespace CEGUI

namespace kavri3D {
namespace zrk {
namespace gui {

class IGuideContent;

/// The tutorial's guide box at the top of the screen: the step's text from the guide content
/// ("step"), a hint line for a few seconds, a shake when nudged.
class GuideView : public IGuideView {
public:
    typedef std::function<CEGUI::Window*()> ParentSource;
    typedef std::function<boost::shared_ptr<IGuideContent>()> ContentSource;
    static constexpr float kHintSeconds = 6.0f;

    GuideView(ParentSource parent, ContentSource content);
    ~GuideView() override;
    GuideView(const GuideView&) = delete;
    GuideView& operator=(const GuideView&) = delete;

    void showStep(int step) override;
    int getShownStep() const override { return mStep; }
    const std::string& getShownText() const override { return mText; }
    void setKeyHandler(const KeyHandler& handler) override;
    void releaseKeyHandler() override;
    void showHint(const std::string& kind, int id) override;
    int getNudgeCount() const override { return mNudges; }
    void nudge() override;
    /// Told of each step shown (0: the box hidden).
    void setStepListener(std::function<void(int)> listener) { mStepListener = std::move(listener); }
    /// Runs the hint's clock and the shake.
    void update(float dt);
    const std::string& getHintText() const { return mHint; }
    /// A key reached the screen: the handler has it first; true when it took it.
    bool keyDown(const CEGUI::KeyEventArgs& args);

private:
    CEGUI::Window* box(bool make);
    void destroyBox();

    ParentSource mParent;
    ContentSource mContent;
    KeyHandler mKeyHandler;
    std::function<void(int)> mStepListener;
    int mStep = 0;
    std::string mText;
    std::string mHint;
    float mHintLeft = 0.0f;
    float mShakeLeft = 0.0f;
    int mNudges = 0;
    CEGUI::Event::Connection mKeyConnection;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
