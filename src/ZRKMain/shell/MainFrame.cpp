#include "shell/MainFrame.h"

#include <CEGUI/CEGUI.h>
#include <atomic>
#include <boost/make_shared.hpp>
#include <core/Application.h>
#include <core/BlackBoard.h>
#include <core/MsgHandlers.h>
#include <core/win32BringToFront.h>
#include <core/win32FrameController.h>
#include <cstring>
#include <gui/IGuiManager.h>
#include <gui/IGuiRes.h>
#include <vector>

#include "rooms/EquipRes.h"
#include "rooms/ScenePlayer.h"
#include "rooms/SnapShotManager.h"
#include "rooms/Wrapper.h"
#include "rooms/ZRKRoleRes.h"
#include "services/GameServices.h"
#include "webview/HtmlView.h"
#include "services/LogRoutine.h"
#include "shell/Application.h"
#include "shell/GuideContent.h"
#include "shell/ResGuiX.h"
#include "shell/ZRKGuiLoader.h"
#include "shell/panels/CreateCharPanel.h"
#include "shell/panels/PackageBoardPanel.h"
#include "shell/panels/ZRKAreaPanel.h"
#include "shell/panels/ZRKLoginPanel.h"
#include "shell/panels/ZRKMapBoardPanel.h"
#include "shell/panels/ZRKOnlinePalyerListPanel.h"
#include "shell/panels/ZRKPlayerPanel.h"
#include "shell/panels/ZRKRoomListPanel.h"
#include "shell/panels/ZRKRoomPanel.h"

namespace kavri3D {
namespace zrk {

namespace {
// Snapshots copy the default camera's lens and background.
const unsigned kSnapShotFlags = 2;

// The platform library, loaded once a run and never unloaded.
HMODULE gHostProcLibrary = nullptr;
// Launcher commands posted and not yet taken by the frame loop.
std::atomic<int> gPendingLauncherMessages{0};
std::atomic<int> gDroppedLauncherMessages{0};
const char* const kLauncherPreview = "CProcEventHandler";

std::uint32_t readU32(const unsigned char* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

gui::IGuiManager* guiManager()
{
    gui::IGuiManager* manager = nullptr;
    ZRKGuiLoader* loader = ZRKGuiLoader::getSingletonPtr();
    if (!loader || !loader->createGuiManager(&manager))
        return nullptr;
    return manager;
}
} // namespace

const char* const MainFrame::kSnapShotNames[18] = {"player", "red0",  "red1",  "red2",     "red3", "blue0",
                                                   "blue1",  "blue2", "blue3", "showview", "box1", "box2",
                                                   "box3",   "box4",  "box5",  "box6",     "box7", "box8"};

MainFrame::MainFrame(core::Application& app) : core::Frame(app) { openLauncherChannel(); }

MainFrame::~MainFrame()
{
    HtmlView::close(); // a frame that never had a window closes no page in onFrameDestroyed
    disconnectInput();
    // A channel that never connected is still held here.
    releaseLauncherChannel();
}

void MainFrame::forgetHostProcLibrary() { gHostProcLibrary = nullptr; }

void MainFrame::openLauncherChannel()
{
    core::BlackBoard* bb = core::BlackBoard::getSingletonPtr();
    if (!bb || !bb->section("kavri3D/autoLogin").getBoolVal("platform", false))
        return;
    if (!gHostProcLibrary)
        gHostProcLibrary = LoadLibraryW(L"../HostProcMsgHelper.dll");
    if (!gHostProcLibrary) {
        // One another account could have planted is never run as the player.
        writeLog(kLogError, "ZRKMain",
                 GetLastError() == ERROR_ACCESS_DENIED
                     ? "HostProcMsgHelper.dll not loaded: it or its folder can be changed by another user"
                     : "LoadLibrary fail(platform HostProcMsgHelper.dll)");
        return;
    }
    auto create =
        reinterpret_cast<CreateClientProcMsgObjectFn>(GetProcAddress(gHostProcLibrary, "CreateClientProcMsgObject"));
    mProcMsgObject = create ? create() : nullptr;
    if (!mProcMsgObject) {
        writeLog(kLogError, "ZRKMain", "create IClientProcMsgObject fail(platform)");
        return;
    }
    mProcMsgObject->initialize();
    mProcEventHandler.reset(new CProcEventHandler);
    mProcMsgObject->setEventHandler(mProcEventHandler.get());
    // The launcher's commands are acted on where the window lives: in the frame loop.
    if (core::win32FrameController* controller = getApplication().getFrameControl()) {
        mLauncherPreview = controller;
        controller->previewAppMessage(kLauncherPreview,
                                      boost::make_shared<core::msg::GenericMsgHandler>(
                                          [this](MSG& m, LRESULT* r) { return onLauncherMessage(m, r); }));
    }
    const std::string param = bb->section("kavri3D/autoLogin").getStringVal("PROCPARA", "");
    if (!mProcMsgObject->connect(param.c_str()))
        writeLog(kLogError, "ZRKMain", "Connect fail(IClientProcMsgObject platform)");
}

void MainFrame::releaseLauncherChannel()
{
    if (mLauncherPreview) {
        mLauncherPreview->unpreviewAppMessage(kLauncherPreview);
        mLauncherPreview = nullptr;
    }
    if (!mProcMsgObject)
        return;
    auto release =
        reinterpret_cast<ReleaseClientProcMsgObjectFn>(GetProcAddress(gHostProcLibrary, "ReleaseClientProcMsgObject"));
    if (release)
        release(mProcMsgObject); // joins the library's thread: no message comes after this
    else
        MessageBoxW(nullptr, L"Get Release Client Object Function failed(platform HostProcMsgHelper.dll)", L"Error",
                    MB_OK);
    gPendingLauncherMessages = 0; // what is still queued finds no frame to act on it
    if (release) {
        mProcEventHandler.reset();
    } else {
        // The library kept the object, and its thread may still call the handler: both stay
        // for the run, out of the frame's hands (never destroyed: the library may outlive it).
        static auto* keptHandlers = new std::vector<CProcEventHandler*>;
        static auto* keptObjects = new std::vector<IClientProcMsgObject*>;
        keptHandlers->push_back(mProcEventHandler.release());
        keptObjects->push_back(mProcMsgObject);
    }
    mProcMsgObject = nullptr;
}

void MainFrame::onFrameDestroyed()
{
    // The page lies over the game window: it goes first.
    HtmlView::close();
    if (mProcMsgObject && mProcMsgObject->isConnected()) {
        std::vector<unsigned char> message(hostproc::kHeaderSize + hostproc::kMaxData, 0);
        message[0] = 1; // command 1, length 0: the game's frame goes
        mProcMsgObject->send(static_cast<int>(hostproc::kHeaderSize), message.data());
        releaseLauncherChannel();
    }
    core::Frame::onFrameDestroyed();
}

void MainFrame::CProcEventHandler::onMessage(IClientProcMsgObject*, std::uint32_t bytesReceived,
                                             const unsigned char* bytes)
{
    // The launcher's bytes are checked here, on the library's thread; only a command and its
    // flag travel on.
    if (!bytes || bytesReceived < hostproc::kHeaderSize) {
        writeLogf(kLogWarning, "ZRKMain", "launcher message ignored: ", bytesReceived, " bytes");
        return;
    }
    const std::uint32_t command = readU32(bytes);
    const std::uint32_t length = readU32(bytes + 4);
    if (length > hostproc::kMaxData || length > bytesReceived - hostproc::kHeaderSize) {
        writeLogf(kLogWarning, "ZRKMain", "launcher message ignored: command ", command, " length ", length, " of ",
                  bytesReceived, " bytes");
        return;
    }
    if (command != 3 && command != 4)
        return;
    std::uint32_t flag = 0;
    if (command == 3 && length >= 4)
        flag = readU32(bytes + hostproc::kHeaderSize);
    if (gPendingLauncherMessages.fetch_add(1) >= kMaxPendingLauncherMessages) {
        gPendingLauncherMessages.fetch_sub(1);
        gDroppedLauncherMessages.fetch_add(1);
        return;
    }
    PostMessageW(nullptr, kLauncherMessage, command, static_cast<LPARAM>(flag));
}

bool MainFrame::onLauncherMessage(MSG& msg, LRESULT*)
{
    if (msg.message != kLauncherMessage)
        return false;
    if (gPendingLauncherMessages.load() > 0)
        gPendingLauncherMessages.fetch_sub(1);
    if (const int dropped = gDroppedLauncherMessages.exchange(0))
        writeLogf(kLogWarning, "ZRKMain", dropped, " launcher messages dropped: the frame loop fell behind");
    HWND window = GameServices::renderWindow();
    if (msg.wParam == 3)
        ShowWindow(window, msg.lParam != 0 ? SW_SHOW : SW_HIDE);
    else if (msg.wParam == 4)
        core::win32BringToFront(window);
    return true;
}

void MainFrame::disconnectInput()
{
    mMouseDownConnection.reset();
    mKeyDownConnection.reset();
}

bool MainFrame::create()
{
    if (!core::Frame::create())
        return false;
    if (CEGUI::Window* top = getTopWindow()) {
        // One subscriber each: CEGUI frees a subscriber's handler when its connection ends.
        mMouseDownConnection = top->subscribeEvent(CEGUI::Window::EventMouseButtonDown,
                                                   CEGUI::Event::Subscriber(&MainFrame::onTopWindowInput, this));
        mKeyDownConnection = top->subscribeEvent(CEGUI::Window::EventKeyDown,
                                                 CEGUI::Event::Subscriber(&MainFrame::onTopWindowInput, this));
    }
    mScenePlayer.reset(new ScenePlayer);
    mEquipRes.reset(new EquipRes);
    mRoleRes.reset(new ZRKRoleRes);
    mScenePlayer->load();
    mRoleRes->load();
    for (const char* name : kSnapShotNames)
        SnapShotManager::instance().createSnapShot(kSnapShotFlags, name);
    createFirstPanels();
    // The lobby's screens wait for their GUI resources; without a downloader (a frame hosted
    // on its own) they are there already.
    if (ResGuiX* resources = ResGuiX::getInstance())
        resources->start();
    else
        createLobbyPanels();
    return true;
}

void MainFrame::createFirstPanels()
{
    ZRKGuiLoader* loader = ZRKGuiLoader::getSingletonPtr();
    gui::IGuiRes* res = nullptr;
    if (loader && loader->createGuiRes(&res))
        res->loadBaseResources();
    gui::IGuiManager* manager = guiManager();
    if (manager && mScenePlayer)
        manager->getImagesetNames() = mScenePlayer->getImagesets().imagesets;

    boost::shared_ptr<GuideContent> guide(new GuideContent);
    guide->load();
    if (manager) {
        manager->setGuideContent(guide);
        // What the pages ask the game for (item records, the quests), from the first panels on: a
        // log-on through the hosting platform's link shows no log-on page, whose event hands the
        // GUI its own later.
        manager->setWrapper(new Wrapper);
    }

    if (CEGUI::Window* top = getTopWindow()) {
        try {
            mGuiRoot = CEGUI::WindowManager::getSingleton().createWindow("DefaultWindow", "");
            mGuiRoot->setArea(CEGUI::UVector2(CEGUI::UDim(0, 0), CEGUI::UDim(0, 0)),
                              CEGUI::USize(CEGUI::UDim(1, 0), CEGUI::UDim(1, 0)));
            mGuiRoot->setProperty("MousePassThroughEnabled", "True");
            top->addChild(mGuiRoot);
        } catch (const CEGUI::Exception& e) {
            writeLogf(kLogError, "ZRKMain", "cannot create the GUI root window: ", e.getMessage().c_str());
            destroyLiveWindow(mGuiRoot);
            mGuiRoot = nullptr;
        }
    }
    if (manager && mGuiRoot)
        manager->setRootWindow(mGuiRoot);

    addGamePanel("LoginPanel", boost::shared_ptr<gui::ZRKPanel>(new gui::ZRKLoginPanel(this)));
    addGamePanel("CreateCharPanel", boost::shared_ptr<gui::ZRKPanel>(new gui::CreateCharPanel(this)));
    if (manager)
        manager->onFirstPanelsCreated();
}

void MainFrame::createLobbyPanels()
{
    if (mLobbyPanelsCreated)
        return;
    gui::IGuiManager* manager = guiManager();
    if (manager)
        manager->setTopWindow(getTopWindow());
    addGamePanel("AreaPanel", boost::shared_ptr<gui::ZRKPanel>(new gui::ZRKAreaPanel(this)));
    addGamePanel("RoomlistPanel", boost::shared_ptr<gui::ZRKPanel>(new gui::ZRKRoomListPanel(this)));
    addGamePanel("PlayerPanel", boost::shared_ptr<gui::ZRKPanel>(new gui::ZRKPlayerPanel(this)));
    addGamePanel("RoomPanel", boost::shared_ptr<gui::ZRKPanel>(new gui::ZRKRoomPanel(this)));
    addGamePanel("MapBoardPanel", boost::shared_ptr<gui::ZRKPanel>(new gui::ZRKMapBoardPanel(this)));
    addGamePanel("OnlinePalyerPanel", boost::shared_ptr<gui::ZRKPanel>(new gui::ZRKOnlinePalyerListPanel(this)));
    addGamePanel("BackPackagePanel", boost::shared_ptr<gui::ZRKPanel>(new gui::PackageBoardPanel(this)));
    if (manager)
        manager->onLobbyPanelsCreated();
    mLobbyPanelsCreated = true;
}

void MainFrame::destroy()
{
    mLobbyPanelsCreated = false;
    if (gui::IGuiManager* manager = guiManager())
        manager->shutdown();
    disconnectInput();
    SnapShotManager::destroyInstance();
    // The GUI root goes with the top window.
    mGuiRoot = nullptr;
    core::Frame::destroy();
    mScenePlayer.reset();
    mEquipRes.reset();
    mRoleRes.reset();
}

void MainFrame::addGamePanel(const std::string& name, const boost::shared_ptr<gui::ZRKPanel>& panel)
{
    panel->createWindow();
    panel->registerEvents();
    addPanel(name, panel);
}

bool MainFrame::onTopWindowInput(const CEGUI::EventArgs&)
{
    // Clicks and keys on the bare frame are left to the scene behind it.
    return false;
}

} // namespace zrk
} // namespace kavri3D
