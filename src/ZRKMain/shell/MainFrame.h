#pragma once
#include <CEGUI/Event.h>
#include <boost/shared_ptr.hpp>
#include <memory>
#include <string>
#include <core/CEGUIMenuContainer.h>
#include <core/Frame.h>

namespace CEGUI {
class EventArgs;
}

namespace kavri3D {
namespace zrk {
namespace gui {
class ZRKPanel;
}
class EquipRes;
class ScenePlayer;
class ZRKRoleRes;

/// The game's main frame: the portrait snapshot slots, the GUI's root window, the log-in
/// panels at once and the lobby panels once the GUI resources are there.
class MainFrame : public core::Frame, public core::CEGUIMenuContainer {
public:
    /// The portrait slots the GUI shows players, the preview model and the prize boxes in.
    static const char* const kSnapShotNames[18];

    explicit MainFrame(core::Application& app);
    ~MainFrame() override;

    bool create() override;
    void destroy() override;

    void createFirstPanels();
    /// Adds the seven lobby panels; later calls do nothing until the frame is destroyed.
    void createLobbyPanels();
    bool lobbyPanelsCreated() const { return mLobbyPanelsCreated; }
    /// The unnamed full-size window the GUI plug-in hangs its pages under; null without GUI.
    CEGUI::Window* getGuiRootWindow() const { return mGuiRoot; }

private:
    /// Makes the panel's windows, registers its events and adds it under the name.
    void addGamePanel(const std::string& name, const boost::shared_ptr<gui::ZRKPanel>& panel);
    bool onTopWindowInput(const CEGUI::EventArgs& args);
    void disconnectInput();

    CEGUI::Event::Connection mMouseDownConnection;
    CEGUI::Event::Connection mKeyDownConnection;
    CEGUI::Window* mGuiRoot = nullptr;
    bool mLobbyPanelsCreated = false;
    // The screens' game-wide resources, made with the frame and gone with it.
    std::unique_ptr<ScenePlayer> mScenePlayer;
    std::unique_ptr<EquipRes> mEquipRes;
    std::unique_ptr<ZRKRoleRes> mRoleRes;
};

} // namespace zrk
} // namespace kavri3D
