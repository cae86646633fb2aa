#pragma once
#include <functional>
#include <gui/EventId.h>
#include <string>
#include <vector>
#include <core/ScopedEventConnection.h>
#include <gui/RoleState.h>
#include "GuiPage.h"

namespace kavri3D {
namespace zrk {
namespace gui {

class EventDispatcher;

/// The character-creation page: Boy or Girl, "<" and ">" with "i / n" for each of the five
/// parts, a nickname box, "Create", turning the preview while "Turn left" or "Turn right" is
/// held, an action button and a status line. It comes up when the game says the scene is
/// there (49), then asks for the drawn choices (3); each choice dresses the preview (4).
/// "Create" creates the character (6); once it is kept the page goes on (6, "goCreate" false).
/// A run started with "/nickname=<name>" types the name and presses "Create" by itself. Escape
/// asks whether to quit the game, as closing the window does.
class CreateCharPage : public GuiPage {
public:
    static constexpr int kKind = 13;
    static constexpr int kSceneReadyId = EventId::CreateCharSceneReady;
    static constexpr int kLoadingEventId = EventId::CreateCharLoading;
    static constexpr int kChangeEventId = EventId::ChangeCharState;
    static constexpr int kRollEventId = EventId::RollChar;
    static constexpr int kCreateEventId = EventId::CreateChar;
    static constexpr int kDefStateEventId = EventId::DefState;
    static constexpr int kQuitEventId = EventId::Exit;
    static constexpr int kParts = 5;
    /// The longest name the box takes, in characters (the server's limit).
    static constexpr std::size_t kNameMaxLength = 16;

    CreateCharPage(const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent,
                   EventDispatcher& dispatcher, std::function<void()> show);
    ~CreateCharPage() override;

    void onRaised(int eventId);
    void onFilled(int eventId, ParamList& params) override;
    /// The page's work that waits for a frame: coming up, typing the given name, going on.
    void onFrame();

    // What the player does, as the buttons do it; false when the event is not there.
    bool chooseLook(bool boy);
    bool stepPart(int part, int delta);
    bool playAction();
    bool turn(bool rotate, bool clockwise);
    bool create(const std::string& nickname);
    /// Escape: the game's quit question (its "no" keeps the player here).
    bool askQuit();

    const RoleState& getState() const { return mState; }
    int getCount(int part) const { return mCounts[part]; }
    const std::string& getStatus() const { return mStatus; }

protected:
    void buildContent(CEGUI::Window& frame) override;

private:
    bool sendState(int action);
    void refresh();
    void setStatus(const std::string& text);
    void readDefaultLook();
    bool onClicked(const CEGUI::EventArgs& args);
    bool onTurnDown(const CEGUI::EventArgs& args);
    bool onTurnUp(const CEGUI::EventArgs& args);
    bool onKeyDown(const CEGUI::EventArgs& args);

    EventDispatcher& mDispatcher;
    std::function<void()> mShow;
    RoleState mState;
    int mCounts[kParts] = {0, 0, 0, 0, 0};
    int mNextAction = 0;
    bool mShowPending = false;
    bool mLoaded = false;
    bool mGoOnPending = false;
    bool mAutoNameDone = false;
    bool mCreating = false;
    std::string mStatus;

    std::vector<core::ScopedEventConnection> mConnections;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
