#pragma once
#include <CEGUI/Event.h>
#include <boost/shared_ptr.hpp>
#include <memory>
#include <string>
#include <core/CEGUIMenuContainer.h>
#include <core/Frame.h>
#include <core/ScopedEventConnection.h>
#include <hostproc/ClientProcMsg.h>
#include <win32/Windows.h>

namespace CEGUI {
class EventArgs;
}

namespace kavri3D {
namespace core {
class win32FrameController;
}
namespace zrk {
namespace gui {
class ZRKPanel;
}
class EquipRes;
class ScenePlayer;
class ZRKRoleRes;

/// The game's main frame: the portrait snapshot slots, the GUI's root window, the log-in
/// panels at once and the lobby panels once the GUI resources are there. Started by the
/// hosting platform, it also keeps the channel to the platform's launcher, which shows, hides
/// and raises the game window.
class MainFrame : public core::Frame, public core::CEGUIMenuContainer {
public:
    /// Hears the launcher on the platform library's thread: a message it accepts is posted to
    /// the frame loop and acted on there.
    class CProcEventHandler final : public IClientProcMsgEventHandler {
    public:
        void onConnected(IClientProcMsgObject*) override {}
        void onError(IClientProcMsgObject*, int) override {}
        void onDisconnected(IClientProcMsgObject*) override {}
        void onMessage(IClientProcMsgObject* object, std::uint32_t bytesReceived, const unsigned char* bytes) override;
    };
    /// The frame-loop message that carries a launcher command (wParam) and its flag (lParam).
    static constexpr UINT kLauncherMessage = WM_APP + 0x114;
    /// Launcher commands waiting for the frame loop at most; more are dropped (logged).
    static constexpr int kMaxPendingLauncherMessages = 4096;

    /// The portrait slots the GUI shows players, the preview model and the prize boxes in.
    static const char* const kSnapShotNames[18];

    explicit MainFrame(core::Application& app);
    ~MainFrame() override;

    bool create() override;
    void destroy() override;
    /// Tells the launcher the frame goes and lets the channel go; closes the web view.
    void onFrameDestroyed() override;

    void createFirstPanels();
    /// Adds the seven lobby panels; later calls do nothing until the frame is destroyed.
    void createLobbyPanels();
    bool lobbyPanelsCreated() const { return mLobbyPanelsCreated; }
    /// The unnamed full-size window the GUI plug-in hangs its pages under; null without GUI.
    CEGUI::Window* getGuiRootWindow() const { return mGuiRoot; }

    /// Acts on a launcher command the frame loop took from its queue: 3 shows (flag nonzero)
    /// or hides the game window, 4 raises it. False for any other message.
    bool onLauncherMessage(MSG& msg, LRESULT* result);
    /// The launcher channel's object; null when none is open.
    IClientProcMsgObject* getProcMsgObject() const { return mProcMsgObject; }
    /// Tests: the platform library is opened once a run; this lets the next frame open it anew
    /// (it is never unloaded).
    static void forgetHostProcLibrary();

private:
    void openLauncherChannel();
    /// Hands the channel object back to the platform library (or forgets it with the "Error"
    /// box when the library cannot take it), then deletes the handler.
    void releaseLauncherChannel();

    /// Makes the panel's windows, registers its events and adds it under the name.
    void addGamePanel(const std::string& name, const boost::shared_ptr<gui::ZRKPanel>& panel);
    bool onTopWindowInput(const CEGUI::EventArgs& args);
    void disconnectInput();

    core::ScopedEventConnection mMouseDownConnection;
    core::ScopedEventConnection mKeyDownConnection;
    CEGUI::Window* mGuiRoot = nullptr;
    bool mLobbyPanelsCreated = false;
    // The screens' game-wide resources, made with the frame and gone with it.
    std::unique_ptr<ScenePlayer> mScenePlayer;
    std::unique_ptr<EquipRes> mEquipRes;
    std::unique_ptr<ZRKRoleRes> mRoleRes;
    // The launcher channel: the platform library's object and the handler it calls.
    IClientProcMsgObject* mProcMsgObject = nullptr;
    std::unique_ptr<CProcEventHandler> mProcEventHandler;
    core::win32FrameController* mLauncherPreview = nullptr;
};

} // namespace zrk
} // namespace kavri3D
