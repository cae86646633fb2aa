#include "shell/MainFrame.h"

#include <CEGUI/CEGUI.h>
#include <gui/IGuiManager.h>
#include <gui/IGuiRes.h>

#include "rooms/EquipRes.h"
#include "rooms/ScenePlayer.h"
#include "rooms/SnapShotManager.h"
#include "rooms/ZRKRoleRes.h"
#include "services/LogRoutine.h"
#include "shell/GuideContent.h"
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

gui::IGuiManager* guiManager()
{
    gui::IGuiManager* manager = nullptr;
    ZRKGuiLoader* loader = ZRKGuiLoader::getSingletonPtr();
    if (!loader || !loader->createGuiManager(&manager))
        return nullptr;
    return manager;
}
} // namespace

const char* const MainFrame::kSnapShotNames[18] = {"player", "red0",  "red1",     "red2", "red3", "blue0",
                                                   "blue1",  "blue2", "blue3",    "showview", "box1", "box2",
                                                   "box3",   "box4",  "box5",     "box6", "box7", "box8"};

MainFrame::MainFrame(core::Application& app) : core::Frame(app) {}

MainFrame::~MainFrame() { disconnectInput(); }

void MainFrame::disconnectInput()
{
    for (CEGUI::Event::Connection* c : {&mMouseDownConnection, &mKeyDownConnection}) {
        if (c->isValid())
            (*c)->disconnect();
        *c = CEGUI::Event::Connection();
    }
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
    // The GUI resources are local, so the lobby's screens can be made right away.
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
    if (manager)
        manager->setGuideContent(guide);

    if (CEGUI::Window* top = getTopWindow()) {
        try {
            mGuiRoot = CEGUI::WindowManager::getSingleton().createWindow("DefaultWindow", "");
            mGuiRoot->setArea(CEGUI::UVector2(CEGUI::UDim(0, 0), CEGUI::UDim(0, 0)),
                              CEGUI::USize(CEGUI::UDim(1, 0), CEGUI::UDim(1, 0)));
            mGuiRoot->setProperty("MousePassThroughEnabled", "True");
            top->addChild(mGuiRoot);
        } catch (const CEGUI::Exception& e) {
            writeLogf(3, "ZRKMain", "cannot create the GUI root window: ", e.getMessage().c_str());
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
