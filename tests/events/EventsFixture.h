#pragma once
// A log-in screen without the whole game: a headless GUI with the real plug-in, the game's
// texts, a frame for the boxes, a session playing against the embedded server, the engine's
// client states, and the player's settings in a temporary folder.
#include <gtest/gtest.h>
#include <boost/any.hpp>
#include <boost/make_shared.hpp>
#include <core/BlackBoard.h>
#include <core/ClientStateMachine.h>
#include <core/Engine.h>
#include <core/Frame.h>
#include <core/GuiSystem.h>
#include <data/SpConfig.h>
#include <data/ZRKGameData.h>
#include <server/ZRKGameServer.h>
#include <data/ZRKRequestBroker.h>
#include <data/ZRKSession.h>
#include <gui/IEventDispatcher.h>
#include <gui/IGuiControl.h>
#include <gui/IGuiManager.h>
#include <gui/IGuiPage.h>
#include <lan/ZRKLan.h>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>
#include <win32/Windows.h>
#include <yake/Logger.h>
#include <yake/Time.h>

#include "rooms/BackgroundScene.h"
#include "services/GameServices.h"
#include "shell/Application.h"
#include "shell/CAppZRKModule.h"
#include "shell/ZRKGuiLoader.h"
#include "shell/panels/ZRKLoginPanel.h"
#include "support/FramePump.h"
#include "support/StatePlacement.h"
#include "support/TestEnv.h"

namespace zrktest {

/// A client state that records what it was entered with.
struct RecordingState : kavri3D::core::ClientState {
    std::vector<std::string> entered;
    void onEnter(const std::string& params) override { entered.push_back(params); }
};

struct EventsFixture : ::testing::Test {
    static const int kLogin = kavri3D::zrk::gui::ZRKLoginPanel::kKind;

    TempDir dir;
    kavri3D::core::BlackBoard board;
    kavri3D::core::Engine engine;
    std::unique_ptr<kavri3D::core::GuiSystem> gui = kavri3D::core::GuiSystem::createHeadless(800, 600);
    kavri3D::zrk::ZRKGuiLoader loader;
    kavri3D::zrk::gui::IGuiManager* manager = nullptr;
    kavri3D::zrk::gui::IGuiControl* control = nullptr;
    kavri3D::zrk::gui::IGuiPage* page = nullptr;
    kavri3D::zrk::gui::IEventDispatcher* dispatcher = nullptr;
    kavri3D::zrk::ZRKLan lan{"res/lan"};
    kavri3D::zrk::SpConfig spConfig{"res/lan/spconfig.json"};
    kavri3D::zrk::Application app{nullptr, "game.exe"};
    kavri3D::core::Frame frame{app};
    kavri3D::zrk::GameServices::FrameLoan loan{frame};
    std::unique_ptr<kavri3D::zrk::ZRKSession> session{
        new kavri3D::zrk::ZRKSession(kavri3D::zrk::ZRKGameServer::start("res/server"))};
    yake::logging::logger& log = yake::logging::logger::instance();

    EventsFixture()
    {
        board.setString("kavri3D/runPath", dir.path() + "/");
        kavri3D::zrk::appModule().loadConfig();
        frame.setTextLookup([](const std::string& key) { return kavri3D::zrk::ZRKLan::getMsg(key); });
        loader.loadFrom((binFolder() + "/libZRK_Gui.so").c_str());
        EXPECT_TRUE(loader.createGuiManager(&manager));
        if (manager) {
            control = manager->getControl();
            page = manager->getPage(kLogin);
            dispatcher = manager->getEventDispatcher();
        }
        win32ClearMessages();
        log.enableAllSeverities();
        log.startCapture();
    }
    ~EventsFixture() override
    {
        kavri3D::zrk::BackgroundScene::destroyInstance(); // the log-in screen's loading event made it
        log.stopCapture();
        win32ClearMessages();
        frame.destroy();
        kavri3D::zrk::appModule().Term();
    }

    kavri3D::core::ClientStateMachine& machine() { return *engine.getClientStateMachine(); }
    /// Adds a recording state and makes it current: the fixture places the game there, whatever
    /// state it stood in.
    boost::shared_ptr<RecordingState> enterState(const std::string& name)
    {
        zrktest::StatePlacement placed;
        auto state = boost::make_shared<RecordingState>();
        machine().addState(name, state);
        machine().changeState(name);
        engine.update(0);
        return state;
    }

    /// The game at its log-on screen, a recording "logon" state, with a recording area choice
    /// ("room") to log in to.
    void standAtLogOn(boost::shared_ptr<RecordingState>& logon, boost::shared_ptr<RecordingState>& room)
    {
        logon = enterState("logon");
        room = boost::make_shared<RecordingState>();
        machine().addState("room", room);
    }

    void setParam(const std::string& name, const boost::any& value)
    {
        kavri3D::zrk::gui::ParamNode node;
        node.name = name;
        node.value = value;
        control->setPageParam(kLogin, node);
    }
    /// The page's values replaced by these.
    void setParams(std::initializer_list<std::pair<const char*, boost::any>> values)
    {
        control->clearPageParams(kLogin);
        for (const auto& v : values)
            setParam(v.first, v.second);
    }
    /// The ids raised since the last look.
    std::vector<int> takeRaised()
    {
        std::vector<int> ids = control->raisedIds();
        control->clearRaised();
        return ids;
    }
    void act(kavri3D::zrk::gui::ICallBackEvent& event) { event.callback(control->paramHandle(kLogin)); }
    /// Logs "hero" in through the log-in event and runs frames until the area choice ("room").
    void logInAsHero(kavri3D::zrk::gui::ICallBackEvent& login)
    {
        setParam("username", std::string("hero"));
        setParam("password", std::string("hero123"));
        setParam("lock", true);
        act(login);
        frames(10);
        ASSERT_EQ(machine().currentStateName(), "room");
    }

    /// Logs the account in through the log-in event as the screen would, then lets the replies in;
    /// the state machine then stands in "room".
    void logInWith(kavri3D::zrk::gui::ICallBackEvent& login, const std::string& name, const std::string& password)
    {
        setParam("username", name);
        setParam("password", password);
        setParam("lock", true);
        act(login);
        frames(10);
    }

    /// Frames of the game: the server answers, replies reach their completions, the client
    /// state changes.
    void frames(int count) { pump.frames(count); }
    /// As frames, the game's clock moved `seconds` before each: the server's players keep the
    /// game's time.
    void playFrames(int count, double seconds)
    {
        mClockStep = seconds;
        pump.frames(count);
        mClockStep = 0;
    }
    /// One frame of the game: the session, then the engine.
    FramePump pump{[this] {
                       if (mClockStep > 0)
                           yake::native::advanceTime(mClockStep);
                       if (session)
                           session->update(0.f);
                       engine.update(0.f);
                       return true;
                   },
                   [this] { return "the client stood in state \"" + machine().currentStateName() + "\""; }};

    const kavri3D::core::Frame::BoxRecord* lastBox() const
    {
        return frame.getMessageBoxes().empty() ? nullptr : &frame.getMessageBoxes().back();
    }
    std::size_t count(const std::vector<int>& ids, int id) const { return std::count(ids.begin(), ids.end(), id); }
    std::string text(const char* key) const { return kavri3D::zrk::ZRKLan::getMsg(key); }

private:
    double mClockStep = 0;
};

} // namespace zrktest
