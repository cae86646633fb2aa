#pragma once
#include <string>
#include <core/Frame.h>
#include <data/ZRKRequestOwner.h>
#include <util/Singleton.h>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace core {
struct DialogBoxResult;
}
namespace zrk {

/// The one way out of the game: the quit confirmation, which first reminds the player of what
/// is still open (quests in progress, the temporary bag, the next level and rank). Closing
/// the window, the log-out button, a failed log-in and a failed download all come here.
class ExitEvent : public BaseEvent, public Singleton<ExitEvent> {
public:
    ExitEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~ExitEvent() override;

    /// The live exit event, null while the log-in screen's events do not exist.
    static ExitEvent* instance() { return getSingletonPtr(); }

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::Exit; }

    /// With `ask` the confirmation box; without it the game ends now.
    void confirmQuit(bool ask);
    /// A box with the quit title whose confirmation ends the game.
    void showQuitBox(const std::string& text);
    /// The same box with another title.
    void showBox(const std::string& title, const std::string& text);
    void onQuitBoxResult(core::DialogBoxResult& result);

    /// The confirmation's text for the player as the game data has it now.
    static std::string quitText();

private:
    void openBox(const std::string& title, const std::string& text, const core::Frame::BoxKind& kind);

    ZRKRequestOwner mAnswers; // box answers never reach a freed event
};

} // namespace zrk
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::zrk::ExitEvent);
