#pragma once
#include <boost/signals2/connection.hpp>
#include <gui/EventId.h>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>
#include <gui/IGuiManager.h>
#include <gui/IGuiWrapper.h>
#include <gui/IScreenNotifier.h>

#include "BattleOverView.h"
#include "BattlePanelHost.h"
#include "BoxPanel.h"
#include "DollView.h"
#include "CallCounter.h"
#include "EventDispatcher.h"
#include "EventIdQueue.h"
#include "GuiAnimator.h"
#include "GuiEffect.h"
#include "GrowthView.h"
#include "GuideView.h"
#include "QuestionBox.h"
#include "GuiControl.h"
#include "GuiRes.h"
#include "ParamStore.h"
#include "PveHalfTimePage.h"

namespace kavri3D {
namespace core {
class Event;
}
namespace zrk {
namespace gui {

class CreateCharPage;
class GuiPage;

/// The plug-in's one manager: the pages of the panel kinds, the event dispatcher, the
/// event-id queue, the animator and the resources, and the holders of what the game hands
/// over (wrapper, guide content, image-set names, render images).
///
/// It also listens to the framework's event manager: an event made by createAnyEvent that
/// comes back through it is carried out on the registered event of its id, with the event's
/// parameters as the action's values, as if the player had acted.
class GuiManager : public IGuiManager {
public:
    /// The largest id a game event has; createAnyEvent makes events for 1 to this.
    static constexpr int kLastEventId = EventId::kLast;

    GuiManager();
    ~GuiManager() override;
    GuiManager(const GuiManager&) = delete;
    GuiManager& operator=(const GuiManager&) = delete;

    /// Subscribes to the framework's event manager when one exists and this manager is not
    /// subscribed to it yet (a new event manager gets a new subscription).
    void connectFramework();
    /// The GUI's once-a-frame work, run after the room steps the animator.
    void onFrame();

    void setRootWindow(CEGUI::Window* root) override { mRoot = root; }
    void setTopWindow(CEGUI::Window* top) override { mTop = top; }
    void shutdown() override;
    IGuiAnimator* getAnimator() override { return &mAnimator; }
    IGuiPage* getPage(int kind) override;
    void* getPanelHost(const std::string& name) override;
    void setImage(const CEGUI::String& name, CEGUI::Texture* texture) override;
    void setRoleView(void* view, int width, int height) override { mCalls.add("setRoleView"); }
    /// The log-in screen comes up with the first panels; a run started with credentials logs
    /// in by itself on the first frame after that.
    void onFirstPanelsCreated() override;
    void onLobbyPanelsCreated() override { mCalls.add("onLobbyPanelsCreated"); }
    void showPage(const std::string& name) override;
    void resetPages() override
    {
        mCalls.add("resetPages");
        mBoxPanel1.setVisible(false);
        mBoxPanel2.setVisible(false);
        mHalfTime.setVisible(false);
        mDollView.hide();
    }
    void setRenderSwitch(bool on) override;
    void notifyBattleStarting() override { mCalls.add("notifyBattleStarting"); }
    void clearScreens() override { mCalls.add("clearScreens"); }
    void setWrapper(IGuiWrapper* wrapper) override;
    IEventDispatcher* getEventDispatcher() override { return &mDispatcher; }
    IEventIdQueue* getEventIdQueue() override { return &mQueue; }
    std::vector<std::string>& getImagesetNames() override { return mImagesetNames; }
    /// The result screen, as an IBattleOver pointer.
    void* getBattleOverView() override { return static_cast<IBattleOver*>(&mBattleOver); }
    void* getDollView() override { return static_cast<IDollView*>(&mDollView); }
    IGuideView* getGuideView() override { return &mGuide; }
    /// The tutorial's question box (the guide's steps open it).
    QuestionBox& questionBox() { return mQuestions; }
    void setGuideContent(boost::shared_ptr<IGuideContent> content) override { mGuideContent = content; }
    boost::shared_ptr<IGuideContent> getGuideContent() override { return mGuideContent; }
    void* getBoxOpenView() override { return static_cast<IBoxPanel*>(&mBoxPanel1); }
    void* getPveBoxOpenView() override { return static_cast<IBoxPanel*>(&mBoxPanel2); }
    IHalfTimeView* getHalfTimeView() override { return &mHalfTime; }
    PveHalfTimePage& halfTime() { return mHalfTime; }
    void notifyRoomEntering(int value) override { mCalls.add("notifyRoomEntering"); }
    /// Records each notice as "notify <what>".
    IScreenNotifier* getScreenNotifier() override { return &mNotifier; }
    GuiAnyEvent* createAnyEvent(int eventId) override;
    /// There is no Flash player: the effect is recorded ("playFlash", "playFlash <file>") and logged.
    void playFlash(const std::string& file, int width, int height, float seconds) override;
    IGrowthView* getGrowthView() override { return &mGrowth; }
    IGuiEffect* getEffect() override { return &mEffect; }
    GuiEffect& effect() { return mEffect; }
    IGuiControl* getControl() override { return &mControl; }

    // The parts, for the control surface.
    ParamStore& params() { return mParams; }
    EventDispatcher& dispatcher() { return mDispatcher; }
    EventIdQueue& eventIdQueue() { return mQueue; }
    CallCounter& calls() { return mCalls; }
    GuiRes& res() { return mRes; }
    const std::vector<std::string>& shownPages() const { return mShownPages; }
    /// The page of a kind as the plug-in made it (the lobby's pages for tests).
    GuiPage* page(int kind) const;
    bool renderSwitch() const { return mRenderSwitch; }
    /// The image a picture of a page shows; empty when none.
    std::string shownImage(int kind, const std::string& picture) const;
    /// Every page made afresh, as a newly loaded plug-in has them.
    void rebuildPages();

private:
    void makePages();
    CEGUI::Window* pageParent() const;
    CreateCharPage* createCharPage();
    void onFrameworkEvent(const core::Event& event);
    void onFilled(int eventId, ParamList* params);
    void releaseHandedOver();
    void onRaised(int eventId);
    /// Carries out the screen changes the game asked for since the last frame.
    void switchScreens();
    void showHall(bool shown);
    /// The player sits in a game room: its page comes up in place of the hall.
    void showRoom();
    /// The player's own line in the hall's and the room's title bars, as the game holds it now.
    /// `attributes`: the values the attribute event just handed out; null asks it for them.
    void showOwnAttributes(ParamList* attributes = nullptr);
    /// Shows the line as the game holds it, and asks the server for it again.
    void refreshOwnAttributes();
    void notifyImage(const std::string& name, bool defined);

    CallCounter mCalls;
    struct Notifier : IScreenNotifier {
        explicit Notifier(CallCounter& calls) : calls(calls) {}
        void notify(int what) override { calls.add("notify " + std::to_string(what)); }
        CallCounter& calls;
    } mNotifier{mCalls};
    ParamStore mParams;
    EventDispatcher mDispatcher;
    EventIdQueue mQueue{mDispatcher};
    bool mAutoLoginArmed = false;
    GuiAnimator mAnimator{mCalls};
    GuiRes mRes{mCalls};
    std::map<int, std::unique_ptr<GuiPage>> mPages;
    GuiControl mControl{*this};
    BattleOverView mBattleOver{mParams, [this] { return pageParent(); }};
    BattlePanelHost mBattlePanel{mParams, [this] { return pageParent(); }};
    BoxPanel mBoxPanel1{32,          "OpenBoxPage", "Open a box", mParams, [this] { return pageParent(); },
                        mDispatcher, mCalls,        false};
    BoxPanel mBoxPanel2{33,          "StageBoxPage", "Stage boxes", mParams, [this] { return pageParent(); },
                        mDispatcher, mCalls,         true};
    PveHalfTimePage mHalfTime{mParams, [this] { return pageParent(); }};
    DollView mDollView{[this] { return pageParent(); }};
    CEGUI::Window* mRoot = nullptr;
    CEGUI::Window* mTop = nullptr;
    std::unique_ptr<IGuiWrapper> mWrapper;
    boost::shared_ptr<IGuideContent> mGuideContent;
    std::vector<std::string> mImagesetNames;
    std::set<std::string> mImages;
    std::vector<std::string> mShownPages;
    bool mRenderSwitch = true;
    std::vector<int> mScreenIds; // raised ids that switch screens, carried out on the next frame
    boost::signals2::scoped_connection mFrameworkConnection;
    GrowthView mGrowth{mCalls, [this] { return pageParent(); }};
    QuestionBox mQuestions{mParams, [this] { return pageParent(); }, mDispatcher};
    GuideView mGuide{[this] { return pageParent(); }, [this] { return mGuideContent; }};
    double mGuideClock = -1.0;                                  ///< the time of the guide's last frame
    GuiEffect mEffect{mCalls, [this] { return pageParent(); }}; // last: its curtain goes before the pages
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
