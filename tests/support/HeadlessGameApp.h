#pragma once
// A headless framework run for the room tests: the embedded server's session, the GUI plug-in
// when asked for, and the test's body as the frame loop. The test's own application adds its
// client states in onPostInitialise.
#include <boost/shared_ptr.hpp>
#include <core/AbstractWin32Application.h>
#include <core/BlackBoard.h>
#include <core/ClientStateMachine.h>
#include <core/Engine.h>
#include <data/ZRKSession.h>
#include <server/ZRKGameServer.h>
#include <functional>
#include <gui/IGuiControl.h>
#include <gui/IGuiManager.h>
#include <memory>
#include <win32/Windows.h>

#include "rooms/BackgroundScene.h"
#include "rooms/RoleManager.h"
#include "shell/ZRKGuiLoader.h"
#include "support/FramePump.h"
#include "support/TestEnv.h"

namespace zrktest {

template <class App>
class HeadlessGameApp : public kavri3D::core::ExampleApplication<kavri3D::core::ApplicationConfiguration> {
public:
    typedef kavri3D::core::ExampleApplication<kavri3D::core::ApplicationConfiguration> Base;

    HeadlessGameApp(bool withGui, std::function<void(App&)> body)
        : Base(nullptr, "game.exe"), mWithGui(withGui), mBody(std::move(body))
    {
        ::win32ClearMessages(); // a quit posted by an earlier run must not end this one
    }
    boost::shared_ptr<kavri3D::core::BlackBoard> onCreateBlackBoardImpl() override
    {
        auto board = Base::onCreateBlackBoardImpl();
        board->setBool("kavri3D/headless", true);
        return board;
    }
    bool onPreInitialise() override
    {
        if (mWithGui) {
            loader.reset(new kavri3D::zrk::ZRKGuiLoader);
            loader->loadFrom((binFolder() + "/libZRK_Gui.so").c_str());
        }
        return true;
    }
    kavri3D::core::SessionPtr onCreateSession() override
    {
        return kavri3D::core::SessionPtr(
            new kavri3D::zrk::ZRKSession(kavri3D::zrk::ZRKGameServer::start("res/server")));
    }
    bool onRun() override
    {
        getApplicationState()->start();
        runOneFrame();
        mBody(static_cast<App&>(*this));
        return true;
    }
    void onPreShutdown() override
    {
        // The rooms build the background scene and the roles; they go with the run, as in the game.
        kavri3D::zrk::BackgroundScene::destroyInstance();
        kavri3D::zrk::RoleManager::destroyInstance();
        Base::onPreShutdown();
    }
    bool onPostShutdown() override
    {
        if (loader) {
            kavri3D::zrk::gui::IGuiManager* manager = nullptr;
            if (loader->createGuiManager(&manager))
                manager->shutdown();
        }
        loader.reset(); // the plug-in goes while the GUI it drew into is still there
        return Base::onPostShutdown();
    }

    kavri3D::core::ClientStateMachine* machine()
    {
        return kavri3D::core::Engine::getSingleton().getClientStateMachine();
    }
    kavri3D::zrk::gui::IGuiControl* control()
    {
        kavri3D::zrk::gui::IGuiManager* manager = nullptr;
        return loader && loader->createGuiManager(&manager) ? manager->getControl() : nullptr;
    }

    /// Runs `count` frames; false when the run ended on the way.
    bool frames(int count) { return mPump.frames(count); }

    std::unique_ptr<kavri3D::zrk::ZRKGuiLoader> loader;

private:
    bool mWithGui;
    std::function<void(App&)> mBody;
    FramePump mPump{[this] { return this->runOneFrame(); }};
};

} // namespace zrktest
