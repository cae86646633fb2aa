#pragma once
#include <core/ScopedEventConnection.h>
#include <gui/EventId.h>
#include "GuiPage.h"
#include "VolumeSliders.h"

namespace kavri3D {
namespace zrk {
namespace gui {

class EventDispatcher;

/// The log-in page: name, password, a remember-name box and a "Log in" button. The button
/// fills the page's values ("username", "password", "lock", "show_name") and calls the
/// log-in event, as the game's screen does; the saved name comes back through the log-in
/// loading event's values. Under the form, the Music and Sound sliders.
class LoginPage : public GuiPage {
public:
    static constexpr int kKind = 6;
    static constexpr int kLoadingEventId = EventId::LoginLoading;
    static constexpr int kLoginEventId = EventId::LoginGo;
    /// Called before the log-in with the server chosen, when the game's list offers a choice.
    static constexpr int kServerChoiceEventId = EventId::ChooseServerLoading;
    /// The longest name the form's name box takes, in characters.
    static constexpr std::size_t kNameMaxLength = 32;

    LoginPage(const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent,
              EventDispatcher& dispatcher);
    ~LoginPage() override;

    void onFilled(int eventId, ParamList& params) override;
    /// Logs in with the given name and password as if the player had typed them; false
    /// when the log-in event is not registered yet, or when the name is longer than the
    /// name box takes (such a name is neither tried nor saved).
    bool submit(const std::string& name, const std::string& password, bool lock);
    VolumeSliders& volumes() { return mVolumes; }
    /// Each GUI frame: the sliders show the channels' volumes.
    void onFrame();

protected:
    void buildContent(CEGUI::Window& frame) override;

private:
    bool onLogInClicked(const CEGUI::EventArgs& args);
    void logIn();
    void setStatus(const std::string& text);
    void addServerChoice(CEGUI::Window& frame);
    /// The server chosen in the "Server" list; empty without a choice.
    std::string chosenServer() const;
    /// The status line and the game's box both say it.
    void warn(const std::string& text);

    EventDispatcher& mDispatcher;
    VolumeSliders mVolumes;
    // What the last run remembered, kept for a window made after the values came.
    std::string mSavedName;
    bool mSavedLock = true;
    core::ScopedEventConnection mClickedConnection;
    core::ScopedEventConnection mEnterConnection;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
