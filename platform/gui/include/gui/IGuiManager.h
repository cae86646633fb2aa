#pragma once
#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

namespace CEGUI {
class String;
class Texture;
class Window;
} // namespace CEGUI

namespace kavri3D {
namespace zrk {
namespace gui {

class GuiAnyEvent;
class IEventDispatcher;
class IEventIdQueue;
class IGuiAnimator;
class IGuiControl;
class IGuiEffect;
class IHalfTimeView;
class IGuiPage;
class IGuideContent;
class IGuideView;
class IGuiWrapper;
class IScreenNotifier;
class IGrowthView;

/// The GUI plug-in's one manager. Every user asks the loader for it anew at the moment of
/// use; each request yields the same manager.
class IGuiManager {
public:
    virtual ~IGuiManager() = default;

    virtual void setRootWindow(CEGUI::Window* root) = 0;
    virtual void setTopWindow(CEGUI::Window* top) = 0;
    virtual void shutdown() = 0;
    /// The animator the current room steps every frame.
    virtual IGuiAnimator* getAnimator() = 0;
    /// The page of a panel kind; null when the plug-in has none of that kind.
    virtual IGuiPage* getPage(int kind) = 0;
    /// The panel host of a named screen ("Battle"); null when there is none.
    virtual void* getPanelHost(const std::string& name) = 0;
    /// Hands a render texture to the GUI as the named image.
    virtual void setImage(const CEGUI::String& name, CEGUI::Texture* texture) = 0;
    virtual void setRoleView(void* view, int width, int height) = 0;
    virtual void onFirstPanelsCreated() = 0;
    virtual void onLobbyPanelsCreated() = 0;
    /// Shows the named page ("login", "battle").
    virtual void showPage(const std::string& name) = 0;
    /// Closes the pages and dialogs on top, back to the page's base state.
    virtual void resetPages() = 0;
    /// Off before and on after each off-screen render of a portrait scene.
    virtual void setRenderSwitch(bool on) = 0;
    virtual void notifyBattleStarting() = 0;
    virtual void clearScreens() = 0;
    /// The manager owns the wrapper from then on: a new one replaces (and deletes) the last,
    /// and shutdown or unloading deletes the one held.
    virtual void setWrapper(IGuiWrapper* wrapper) = 0;
    virtual IEventDispatcher* getEventDispatcher() = 0;
    virtual IEventIdQueue* getEventIdQueue() = 0;
    virtual std::vector<std::string>& getImagesetNames() = 0;
    virtual void* getBattleOverView() = 0;
    virtual void* getDollView() = 0;
    virtual IGuideView* getGuideView() = 0;
    virtual void setGuideContent(boost::shared_ptr<IGuideContent> content) = 0;
    virtual boost::shared_ptr<IGuideContent> getGuideContent() = 0;
    /// The half-time box screens (each an IBoxPanel): a battle's, and a PVE stage's.
    virtual void* getBoxOpenView() = 0;
    virtual void* getPveBoxOpenView() = 0;
    /// The half-time screen between two stages of a mission ("pve_halftime").
    virtual IHalfTimeView* getHalfTimeView() = 0;
    virtual void notifyRoomEntering(int value) = 0;
    /// Told of screen hand-overs (21 before a battle); never null.
    virtual IScreenNotifier* getScreenNotifier() = 0;
    /// An event for a numeric id, as if the player had acted; null for an unknown id.
    virtual GuiAnyEvent* createAnyEvent(int eventId) = 0;
    /// Plays a Flash effect (a file name) of that size for that many seconds.
    virtual void playFlash(const std::string& file, int width, int height, float seconds) = 0;
    /// The view that shows level and rank changes; null when there is none.
    virtual IGrowthView* getGrowthView() = 0;
    /// The screen effects (the hall's drop-out when help leads into a lesson); never null.
    virtual IGuiEffect* getEffect() = 0;

    /// The stand-in's control surface for tests and the embedded default.
    virtual IGuiControl* getControl() = 0;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
