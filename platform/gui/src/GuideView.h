#pragma once
#include <boost/shared_ptr.hpp>
#include <boost/signals2/connection.hpp>
#include <functional>
#include <string>
#include <gui/IGuideView.h>

namespace CEGUI {
class Window;
} // namespace CEGUI

namespace kavri3D {
namespace zrk {
namespace gui {

class IGuideContent;

/// The tutorial's guide box at the top of the screen: the trainer and the step's text from the
/// guide content ("step") on the "guide" pictures, a hint line for a few seconds, a shake when
/// nudged. Clicks go through it to the windows below; key-downs reach its handler before any
/// window.
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
    void setLine(const std::string& line) override;
    const std::string& getLine() const override { return mLine; }
    /// A step's text as shown while its question waits: it asks for the answer, not a click.
    static std::string askingText(const std::string& text);
    int getNudgeCount() const override { return mNudges; }
    void nudge() override;
    /// Told of each step shown (0: the box hidden).
    void setStepListener(std::function<void(int)> listener) { mStepListener = std::move(listener); }
    /// Where the guide learns whether the step's question is up.
    void setAskingSource(std::function<bool()> asking) { mAsking = std::move(asking); }
    bool isAsking() const override { return mAsking && mAsking(); }
    /// Runs the hint's clock and the shake.
    void update(float dt);
    const std::string& getHintText() const { return mHint; }
    /// A key-down (CEGUI scan code) the window offers before the GUI: true when the handler took it.
    bool keyDown(int scan);
    /// The box's name under the page parent, and its parts' names under the box.
    static const char kBoxName[];

private:
    CEGUI::Window* box(bool make);
    /// The box's text window (null when there is no box).
    CEGUI::Window* textWindow();
    void setText(const std::string& text);
    /// The step's text with its line and the hint under it.
    void showComposed();
    /// Puts the "guide" pictures on the box's parts, or takes them off (empty): the set may
    /// be dropped while the box waits in CEGUI's dead pool.
    void setPictures(CEGUI::Window* w, bool on);
    void destroyBox();

    ParentSource mParent;
    ContentSource mContent;
    KeyHandler mKeyHandler;
    std::function<void(int)> mStepListener;
    std::function<bool()> mAsking;
    int mStep = 0;
    std::string mText;
    std::string mHint;
    std::string mLine;
    float mHintLeft = 0.0f;
    float mShakeLeft = 0.0f;
    int mNudges = 0;
    boost::signals2::scoped_connection mKeyConnection; // last: no key reaches a handler gone
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
