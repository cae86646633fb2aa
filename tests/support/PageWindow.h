#pragma once
// The game's GUI pages in a real window, without the whole game: the GUI plug-in, a frame for
// the boxes with the game's texts, the items' tables and, where the test asks, the embedded
// server with hero logged in; the game's clock moved by hand a sixtieth of a second a frame.
#include <Ogre.h>
#include <core/AbstractWin32Application.h>
#include <core/BlackBoard.h>
#include <core/Frame.h>
#include <core/GraphicsSystem.h>
#include <core/TimerManager.h>
#include <data/ZRKSession.h>
#include <gtest/gtest.h>
#include <gui/IEventDispatcher.h>
#include <gui/IGuiManager.h>
#include <gui/IGuiPage.h>
#include <lan/ZRKLan.h>
#include <memory>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerConfig.h>
#include <string>
#include <vector>
#include <yake/Time.h>

#include "rooms/BackgroundScene.h"
#include "rooms/EquipRes.h"
#include "rooms/RoleManager.h"
#include "rooms/ZRKRoleRes.h"
#include "services/GameServices.h"
#include "shell/ZRKGuiLoader.h"
#include "support/FramePump.h"
#include "support/TestEnv.h"
#include "support/TestWindow.h"

namespace zrktest {

/// A render test of some of the game's pages in a window of the given size. A test adds what
/// its screen shows in SetUp (after this SetUp) and in onFrame; what it took down first goes in
/// its TearDown before this TearDown.
class PageWindow : public ::testing::Test {
protected:
    /// `lendFrameAtOnce`: false where the test lends the frame to the game itself (lendFrame())
    /// once what the boxes must not cover stands.
    PageWindow(std::string title, int width, int height, bool lendFrameAtOnce = true)
        : mTitle(std::move(title)), mWidth(width), mHeight(height), mLendAtOnce(lendFrameAtOnce)
    {
    }

    void SetUp() override
    {
        if (!kavri3D::core::GraphicsSystem::displayAvailable())
            GTEST_SKIP() << "no X display";
        gfx = openTestWindow(mTitle, mWidth, mHeight, dir.file("ogre.log"));
        ASSERT_TRUE(gfx);
        board.setString("kavri3D/runPath", dir.path() + "/");
        board.setString("kavri3D/appPath", binFolder() + "/");
        frame.reset(new kavri3D::core::Frame(app));
        ASSERT_TRUE(frame->create());
        frame->setTextLookup([](const std::string& key) { return kavri3D::zrk::ZRKLan::getMsg(key); });
        if (mLendAtOnce)
            lendFrame();
        loader.loadFrom((binFolder() + "/libZRK_Gui.so").c_str());
        ASSERT_TRUE(loader.createGuiManager(&manager));
        roleRes.load();
        equip.load();
    }
    void TearDown() override
    {
        closeGuiAndSession();
        kavri3D::zrk::BackgroundScene::destroyInstance();
        kavri3D::zrk::RoleManager::destroyInstance();
        loader.unload();
        loan.reset();
        if (frame)
            frame->destroy();
        frame.reset();
        kavri3D::core::TimerManager::instance().clear();
        yake::native::setManualClock(false);
        gfx.reset();
    }

    /// The pages' events go first (their requests end with them), then the server.
    void closeGuiAndSession()
    {
        if (manager)
            manager->shutdown();
        manager = nullptr;
        session.reset();
    }
    /// The frame lent to the game: its boxes (a question's, a warning's) show in the window.
    void lendFrame() { loan.reset(new kavri3D::zrk::GameServices::FrameLoan(*frame)); }
    /// Starts the embedded server and logs hero in; the session answers in the window's frames.
    void logInHero(const kavri3D::zrk::ZRKServerConfig& config = kavri3D::zrk::ZRKServerConfig())
    {
        session.reset(new kavri3D::zrk::ZRKSession(kavri3D::zrk::ZRKGameServer::start(config)));
        int code = -1;
        session->login("hero", "hero123", [&code](kavri3D::core::ISession*, int c) { code = c; });
        frames(3);
        ASSERT_EQ(code, 0);
    }
    /// The game's event of that kind, standing on the page of that kind as the panels put it.
    template <class Event> void registerEvent(int pageKind)
    {
        kavri3D::zrk::gui::IEventDispatcher* dispatcher = manager->getEventDispatcher();
        dispatcher->registerEvent(new Event(manager->getPage(pageKind), dispatcher));
    }

    /// What the test's screen does each frame, after the timers and the session, before the drawing.
    virtual void onFrame(float /*seconds*/) {}
    void frames(int count) { ASSERT_TRUE(pump.frames(count)) << "the window stopped drawing"; }
    /// The window's picture as drawn, RGBA row by row from the top.
    std::vector<unsigned char> windowPixels()
    {
        Ogre::RenderWindow* window = gfx->getRenderWindow();
        std::vector<unsigned char> pixels(std::size_t(window->getWidth()) * window->getHeight() * 4);
        Ogre::PixelBox box(window->getWidth(), window->getHeight(), 1, Ogre::PF_BYTE_RGBA, pixels.data());
        window->copyContentsToMemory(box, box);
        return pixels;
    }

    TempDir dir;
    std::unique_ptr<kavri3D::core::GraphicsSystem> gfx;
    kavri3D::core::BlackBoard board;
    kavri3D::core::ExampleApplication<kavri3D::core::ApplicationConfiguration> app{nullptr, "game.exe"};
    std::unique_ptr<kavri3D::core::Frame> frame;
    std::unique_ptr<kavri3D::zrk::GameServices::FrameLoan> loan;
    kavri3D::zrk::ZRKGuiLoader loader;
    kavri3D::zrk::gui::IGuiManager* manager = nullptr;
    kavri3D::zrk::ZRKLan lan{"res/lan"};
    kavri3D::zrk::ZRKRoleRes roleRes;
    kavri3D::zrk::EquipRes equip;
    std::unique_ptr<kavri3D::zrk::ZRKSession> session;

    /// One frame of the window: the clock moved a sixtieth of a second, the timers, the
    /// session, what the window shows, then the drawing.
    FramePump pump{[this] {
        yake::native::advanceTime(1.0 / 60);
        kavri3D::core::TimerManager::instance().update();
        if (session)
            session->update(1.f / 60);
        onFrame(1.f / 60);
        return gfx->renderOneFrame(1.f / 60);
    }};

private:
    std::string mTitle;
    int mWidth, mHeight;
    bool mLendAtOnce;
};

} // namespace zrktest
