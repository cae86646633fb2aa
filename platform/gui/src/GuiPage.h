#pragma once
#include <core/ScopedEventConnection.h>
#include <functional>
#include <gui/EventId.h>
#include <string>
#include <gui/IGuiPage.h>

namespace CEGUI {
class EventArgs;
}

namespace kavri3D {
namespace zrk {
namespace gui {

class EventDispatcher;
class ParamStore;

/// The page of one panel kind: a titled TaharezLook frame, hidden until the panel shows it,
/// and the values of the player's current action.
///
/// The window is made on first request when a CEGUI system exists, under the window the
/// manager names. The page owns it and destroys it when it goes; when CEGUI destroys it first
/// (the GUI system going down), the page forgets it and makes a new one on the next request.
class GuiPage : public IGuiPage {
public:
    /// Where a page's window goes: the manager's root or top window (null when neither is alive).
    typedef std::function<CEGUI::Window*()> ParentSource;

    GuiPage(int kind, const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent);
    ~GuiPage() override;
    GuiPage(const GuiPage&) = delete;
    GuiPage& operator=(const GuiPage&) = delete;

    CEGUI::Window* getRootWindow() override;
    ParamNode* getParam(const std::string& name, ParamHandle params) override;
    int getKind() const override { return mKind; }

    /// Shows or hides the window (made first when needed).
    void setVisible(bool visible);
    void destroyWindow();
    /// A line after the page's title in its title bar (the player's own money and level); empty
    /// for the title alone.
    void setTitleNote(const std::string& note);
    /// The page's own title, before the note ("Rooms of plains").
    void setTitle(const std::string& title);
    std::string titleText() const;
    /// An event handed the GUI its values after a raise; pages that show some of them override.
    virtual void onFilled(int eventId, ParamList& params) {}
    /// The event that holds the values of an id raised for a room group or for the arena (the
    /// view's, the seats', the maps' and the creation's: 99 and 91 are the view's 37); the id
    /// itself for any other.
    static int holderOf(int eventId);

protected:
    /// Where the page's frame stands, as fractions of its parent (left, top, right, bottom).
    void setFrameArea(float left, float top, float right, float bottom);
    /// One widget of a page's content, placed in fractions of the frame's client area.
    static CEGUI::Window* addWidget(CEGUI::Window& frame, const char* type, const char* name, const char* text, float x,
                                    float y, float w, float h);
    /// Adds the page's widgets to its fresh frame.
    virtual void buildContent(CEGUI::Window& frame) {}
    ParamStore& params() { return mParams; }
    /// A widget of the type under the frame, placed in fractions of the frame's client area.
    static CEGUI::Window* addWidget(CEGUI::Window& frame, const char* type, const char* name, const std::string& text,
                                    float x, float y, float w, float h);
    /// A warning of the page in the game's message box (event 64: the title a message key, the
    /// text as written); false when the game has no box event.
    bool showWarning(EventDispatcher& dispatcher, const std::string& text);
    /// The values an id was raised with: those given, or, for an id no event answers, those of
    /// the event holding them (holderOf); `given` when that event is not there either.
    static ParamList& valuesOf(EventDispatcher& dispatcher, int eventId, ParamList& given);
    static constexpr int kMessageBoxEventId = EventId::MessageBoxShow;
    /// The page's window when it exists, null otherwise (never made here).
    CEGUI::Window* window() const { return mWindow; }

private:
    void makeWindow();
    bool onWindowDestroyed(const CEGUI::EventArgs& args);

    const int mKind;
    const std::string mWindowName;
    std::string mTitle;
    std::string mTitleNote;
    ParamStore& mParams;
    ParentSource mParent;
    CEGUI::Window* mWindow = nullptr;
    float mArea[4] = {0.3f, 0.25f, 0.7f, 0.75f};
    core::ScopedEventConnection mDestroyedConnection;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
