#include <boost/make_shared.hpp>
#include <boost/any.hpp>
#include <core/BlackBoard.h>
#include <core/EventManager.h>
#include <gui/GuiAnyEvent.h>
#include <gui/IEventDispatcher.h>
#include <gui/IGuiAnimator.h>
#include <gui/IGuiPage.h>
#include <gui/IGuiRes.h>
#include <stdexcept>
#include <win32/Windows.h>

#include "PluginFixture.h"
#include "support/BrokenPlugins.h"

using namespace kavri3D::zrk;
using zrktest::FakeEvent;
using zrktest::logged;

namespace {

struct PluginTest : zrktest::PluginFixture {};

int countOf(const std::vector<int>& ids, int id) { return static_cast<int>(std::count(ids.begin(), ids.end(), id)); }

} // namespace

TEST_F(PluginTest, EveryRequestYieldsTheSameManagerAndResources)
{
    gui::IGuiManager* again = nullptr;
    ASSERT_TRUE(loader.createGuiManager(&again));
    EXPECT_EQ(again, manager);
    add(2);
    EXPECT_EQ(again->getControl()->registeredIds(), std::vector<int>{2});

    gui::IGuiRes* res = nullptr;
    gui::IGuiRes* res2 = nullptr;
    ASSERT_TRUE(loader.createGuiRes(&res));
    ASSERT_TRUE(loader.createGuiRes(&res2));
    EXPECT_EQ(res, res2);
    EXPECT_FALSE(res->isLoading());
    control->setLoading(true);
    EXPECT_TRUE(res->isLoading());

    // The game's own way in: the plug-in by its Windows name, from the program folder.
    ZRKGuiLoader byName;
    win32SetLibraryFolder(zrktest::binFolder());
    byName.load();
    gui::IGuiManager* viaName = nullptr;
    ASSERT_TRUE(byName.createGuiManager(&viaName));
    EXPECT_EQ(viaName, manager);
}

TEST_F(PluginTest, PagesExistForThePanelKindsOnlyAndHaveNoWindowWithoutCegui)
{
    for (int kind : {0, 3, 4, 6, 7, 8, 9, 10, 12, 13}) {
        gui::IGuiPage* page = manager->getPage(kind);
        ASSERT_NE(page, nullptr) << kind;
        EXPECT_EQ(page->getKind(), kind);
        EXPECT_EQ(page->getRootWindow(), nullptr);
    }
    for (int kind : {-1, 1, 2, 5, 11, 14})
        EXPECT_EQ(manager->getPage(kind), nullptr) << kind;
    manager->showPage("login"); // nothing to show yet, and nothing breaks
    EXPECT_EQ(control->shownPages(), std::vector<std::string>{"login"});
}

TEST_F(PluginTest, RaisesAreRecordedInOrderAndRefillTheFirstEventOfTheirId)
{
    zrktest::EventTally& second = otherTally;
    add(5);
    manager->getEventDispatcher()->registerEvent(new FakeEvent(5, second));
    add(7);
    EXPECT_EQ(tally.fills, 0); // registering fills nothing

    gui::IEventDispatcher* d = manager->getEventDispatcher();
    for (int id : {5, 9, 7, 5})
        d->raise(id);
    EXPECT_EQ(control->raisedIds(), (std::vector<int>{5, 9, 7, 5}));
    EXPECT_EQ(tally.fills, 3); // 5 twice, 7 once; 9 has no event
    EXPECT_EQ(second.fills, 0);
    EXPECT_EQ(control->registeredIds(), (std::vector<int>{5, 5, 7}));

    control->clearRaised();
    EXPECT_TRUE(control->raisedIds().empty());
}

TEST_F(PluginTest, CallbackReadsItsActionsValuesThroughThePage)
{
    gui::IGuiPage* page = manager->getPage(6);
    std::string seen;
    bool strayHandleAnswered = true;
    add(2)->onCallback = [&](gui::ParamHandle h) {
        gui::ParamNode* n = page->getParam("username", h);
        seen = n ? boost::any_cast<std::string>(n->value) : "<none>";
        strayHandleAnswered = page->getParam("username", h + 1000) || page->getParam("username", 0);
    };
    control->setPageParam(6, stringNode("username", "ann"));
    control->setPageParam(6, stringNode("username", "bea")); // replaces, no second node
    EXPECT_TRUE(control->callback(2, 6));
    EXPECT_EQ(seen, "bea");
    EXPECT_FALSE(strayHandleAnswered);

    control->clearPageParams(6);
    control->callback(2, 6);
    EXPECT_EQ(seen, "<none>");
    EXPECT_FALSE(control->callback(99, 6));
    EXPECT_EQ(tally.callbacks, 2);
}

TEST_F(PluginTest, IdsRaisedInsideAnEventAreRefilledAfterItsCallReturns)
{
    gui::IEventDispatcher* d = manager->getEventDispatcher();
    bool inCallback = false;
    bool filledInsideCallback = false;
    FakeEvent* e = add(18);
    e->onCallback = [&](gui::ParamHandle) {
        inCallback = true;
        d->raise(18);
        d->raise(8);
        inCallback = false;
    };
    e->onFill = [&](gui::ParamList&) { filledInsideCallback = filledInsideCallback || inCallback; };
    control->callback(18, 9);
    EXPECT_EQ(tally.fills, 1);
    EXPECT_FALSE(filledInsideCallback);
    EXPECT_EQ(control->raisedIds(), (std::vector<int>{18, 8}));
}

TEST_F(PluginTest, WhatAnEventThrowsIsLoggedAndGoesNoFurther)
{
    FakeEvent* e = add(2);
    e->onFill = [](gui::ParamList&) { throw std::runtime_error("no session"); };
    // The log-in event reads "lock" as a bool; a string there must not crash the game.
    e->onCallback = [&](gui::ParamHandle h) {
        gui::ParamNode* n = manager->getPage(6)->getParam("lock", h);
        (void)boost::any_cast<bool>(n->value);
    };
    control->setPageParam(6, stringNode("lock", "true"));
    EXPECT_NO_THROW(manager->getEventDispatcher()->raise(2));
    EXPECT_NO_THROW(control->callback(2, 6));
    EXPECT_EQ(control->fillParams(2), nullptr);
    EXPECT_TRUE(logged("ZRK_Gui", "event 2 failed in fillParams: no session"));
    EXPECT_TRUE(logged("ZRK_Gui", "event 2 failed in callback"));
}

TEST_F(PluginTest, ShutdownDeletesTheEventsOnceAndUnloadingDeletesTheRest)
{
    add(1);
    add(2);
    manager->shutdown();
    EXPECT_EQ(tally.deleted, 2);
    EXPECT_TRUE(control->registeredIds().empty());
    manager->shutdown();
    EXPECT_EQ(tally.deleted, 2);
    EXPECT_EQ(control->callCount("shutdown"), 2);

    FakeEvent* late = add(3);
    manager->getEventDispatcher()->registerEvent(late); // the same event twice is kept once
    EXPECT_EQ(control->registeredIds(), std::vector<int>{3});
    loader.unload();
    EXPECT_EQ(tally.deleted, 3);

    // A fresh load starts with a fresh manager.
    loader.loadFrom(zrktest::pluginPath("ZRK_Gui").c_str());
    ASSERT_TRUE(loader.createGuiManager(&manager));
    EXPECT_TRUE(manager->getControl()->registeredIds().empty());
}

TEST_F(PluginTest, ShutdownFromInsideACallbackDeletesTheEventAfterItReturns)
{
    int deletedDuringCall = -1;
    add(61)->onCallback = [&](gui::ParamHandle) {
        manager->shutdown(); // quitting from the exit event's own callback
        deletedDuringCall = tally.deleted;
    };
    control->callback(61, 6);
    EXPECT_EQ(deletedDuringCall, 0);
    EXPECT_EQ(tally.deleted, 1);
}

TEST_F(PluginTest, AnyEventsExistForTheGameIdsOnly)
{
    for (int id : {-1, 0, 135})
        EXPECT_EQ(manager->createAnyEvent(id), nullptr) << id;
    for (int id : {1, 134}) {
        std::unique_ptr<gui::GuiAnyEvent> e(manager->createAnyEvent(id));
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->getId(), id);
    }
}

TEST_F(PluginTest, AnAgentsEventReachesTheRegisteredEventWithItsParameters)
{
    kavri3D::core::EventManager events;
    gui::IGuiManager* again = nullptr;
    ASSERT_TRUE(loader.createGuiManager(&again)); // the manager predates the event manager
    gui::IGuiPage* page = manager->getPage(6);
    std::string name, lock;
    int lockType = -1;
    bool evtSeen = true;
    add(2)->onCallback = [&](gui::ParamHandle h) {
        gui::ParamNode* n = page->getParam("username", h);
        gui::ParamNode* l = page->getParam("lock", h);
        name = n ? boost::any_cast<std::string>(n->value) : "";
        lock = l ? boost::any_cast<std::string>(l->value) : "";
        lockType = l ? l->type : -1;
        evtSeen = page->getParam("_evt", h) != nullptr;
    };

    {
        boost::shared_ptr<gui::GuiAnyEvent> e(manager->createAnyEvent(2));
        e->params.setIntVal("_evt", 2);
        e->params.setStringVal("username", "bob");
        e->params.setStringVal("lock", "true");
        events.post(e);
        events.post(boost::make_shared<kavri3D::core::Event>(2)); // a framework event of the same number
        boost::shared_ptr<gui::GuiAnyEvent> unknown(manager->createAnyEvent(40));
        events.post(unknown);
    }
    events.dispatch();
    EXPECT_EQ(tally.callbacks, 1);
    EXPECT_EQ(name, "bob");
    EXPECT_EQ(lock, "true");
    EXPECT_EQ(lockType, gui::ParamNode::String);
    EXPECT_FALSE(evtSeen);

    manager->shutdown(); // the subscription ends with the manager's shut-down
    add(2);
    events.send(gui::GuiAnyEvent(2));
    EXPECT_EQ(tally.callbacks, 1);

    // Asking again subscribes again; unloading ends it for good.
    ASSERT_TRUE(loader.createGuiManager(&again));
    events.send(gui::GuiAnyEvent(2));
    EXPECT_EQ(tally.callbacks, 2);
    loader.unload();
    events.send(gui::GuiAnyEvent(2));
    EXPECT_EQ(tally.callbacks, 2);
}

TEST_F(PluginTest, QueuedIdsComeDueOncePerFrameAndAreHandedToTheGui)
{
    gui::IEventIdQueue* q = manager->getEventIdQueue();
    add(40);
    q->push(40, 0.5f);
    q->push(41, 0.0f);
    q->push(42, 0.5f);
    q->push(0, 0.0f); // 0 is "nothing due" and cannot be queued

    // One frame: time moves once, however often the room asks.
    EXPECT_EQ(q->next(0.25f), 41);
    EXPECT_EQ(q->next(0.25f), 0);
    // Next frame: both half-second ids, in the order they were queued.
    EXPECT_EQ(q->next(0.25f), 40);
    EXPECT_EQ(q->next(0.25f), 42);
    EXPECT_EQ(q->next(0.25f), 0);
    EXPECT_EQ(q->next(-1.0f), 0);

    q->handle(40);
    q->handle(93);
    EXPECT_EQ(control->handledIds(), (std::vector<int>{40, 93}));
    EXPECT_EQ(countOf(control->raisedIds(), 40), 1);
    EXPECT_EQ(tally.fills, 1);
}

TEST_F(PluginTest, AnimatorPlaysForItsTimeThenStops)
{
    gui::IGuiAnimator* a = manager->getAnimator();
    EXPECT_FALSE(a->step(0.1f));
    a->play("levelup");
    EXPECT_TRUE(a->isAnimating());
    a->update(0.3f);
    EXPECT_TRUE(a->isAnimating());
    EXPECT_FALSE(a->step(0.3f));
    EXPECT_FALSE(a->isAnimating());
    EXPECT_EQ(control->callCount("animator.update"), 1);
}

TEST(BrokenPluginTest, PluginLackingAnExportIsRefusedAndLogged)
{
    yake::logging::logger::instance().startCapture();
    ZRKGuiLoader loader;
    loader.loadFrom(zrktest::pluginPath("ZRK_GuiLacksManager").c_str());
    ASSERT_FALSE(loader.isNull());
    gui::IGuiManager* manager = reinterpret_cast<gui::IGuiManager*>(&loader); // must be overwritten
    EXPECT_FALSE(loader.createGuiManager(&manager));
    EXPECT_EQ(manager, nullptr);
    EXPECT_TRUE(logged("ZRKGuiLoader", "lacks the export zrkGuiManagerCreator"));
    gui::IGuiRes* res = nullptr;
    EXPECT_TRUE(loader.createGuiRes(&res));

    ZRKGuiLoader noOverlay;
    noOverlay.loadFrom(zrktest::pluginPath("ZRK_GuiLacksOverlay").c_str());
    noOverlay.registOverlayFactory();
    EXPECT_TRUE(logged("ZRKGuiLoader", "lacks the export zrkRegistOverlayFactory"));
    yake::logging::logger::instance().stopCapture();
}

TEST(BrokenPluginTest, PluginWhoseFactoriesGiveNothingIsRefusedAndLogged)
{
    yake::logging::logger::instance().startCapture();
    ZRKGuiLoader loader;
    loader.loadFrom(zrktest::pluginPath("ZRK_GuiGivesNothing").c_str());
    ASSERT_FALSE(loader.isNull());
    gui::IGuiManager* manager = nullptr;
    gui::IGuiRes* res = nullptr;
    EXPECT_FALSE(loader.createGuiManager(&manager)); // claims success, gives null
    EXPECT_FALSE(loader.createGuiRes(&res));
    EXPECT_EQ(manager, nullptr);
    EXPECT_TRUE(logged("ZRKGuiLoader", "zrkGuiManagerCreator gave no object"));
    EXPECT_TRUE(logged("ZRKGuiLoader", "zrkGuiResCreator gave no object"));
    yake::logging::logger::instance().stopCapture();
}

TEST(BrokenPluginTest, OnlyAPluginWithEveryExportAndObjectIsComplete)
{
    auto& log = yake::logging::logger::instance();
    for (const zrktest::BrokenPlugin& c : zrktest::incompletePlugins()) {
        log.startCapture();
        ZRKGuiLoader loader;
        loader.loadFrom(zrktest::pluginPath(c.name).c_str());
        ASSERT_FALSE(loader.isNull()) << c.name;
        EXPECT_FALSE(loader.isComplete()) << c.name;
        const auto lines = log.captured();
        ASSERT_EQ(lines.size(), 1u) << c.name;
        EXPECT_EQ(lines[0].text, c.logLine);
        EXPECT_EQ(lines[0].severity, 3u);
    }
    log.stopCapture();
    ZRKGuiLoader real;
    real.loadFrom(zrktest::pluginPath("ZRK_Gui").c_str());
    EXPECT_TRUE(real.isComplete());
    ZRKGuiLoader none;
    EXPECT_FALSE(none.isComplete());
}

TEST_F(PluginTest, StartedWithCredentialsTheLogInScreenLogsInOnceOnTheFirstFrame)
{
    kavri3D::core::BlackBoard board;
    board.setBool("kavri3D/autoLogin/_act", true);
    board.setString("kavri3D/autoLogin/name", "hero");
    board.setString("kavri3D/autoLogin/password", "hero123");
    gui::IGuiPage* page = manager->getPage(6);
    std::vector<std::string> seen;
    add(1);
    add(2)->onCallback = [&](gui::ParamHandle h) {
        for (const char* name : {"username", "password"}) {
            gui::ParamNode* n = page->getParam(name, h);
            seen.push_back(n ? boost::any_cast<std::string>(n->value) : "<none>");
        }
    };
    manager->onFirstPanelsCreated();
    EXPECT_EQ(control->shownPages().back(), "login");
    EXPECT_EQ(tally.callbacks, 0); // not while the screens are being made: the session comes later
    manager->getAnimator()->update(0.04f);
    EXPECT_EQ(seen, (std::vector<std::string>{"hero", "hero123"}));
    manager->getAnimator()->update(0.04f);
    EXPECT_EQ(tally.callbacks, 1); // once per run
    gui::ParamNode* left = page->getParam("password", control->paramHandle(6));
    EXPECT_TRUE(!left || boost::any_cast<std::string>(left->value).empty()); // the password does not stay

    // Without credentials (or with a platform log-in) the screen just waits for the player.
    board.setString("kavri3D/autoLogin/name", "");
    manager->onFirstPanelsCreated();
    manager->getAnimator()->update(0.04f);
    board.setBool("kavri3D/autoLogin/_act", false);
    manager->onFirstPanelsCreated();
    manager->getAnimator()->update(0.04f);
    EXPECT_EQ(tally.callbacks, 1);
}

TEST_F(PluginTest, ANameFromTheCommandLineLongerThanTheNameBoxTakesIsNeitherTriedNorSaved)
{
    kavri3D::core::BlackBoard board;
    board.setBool("kavri3D/autoLogin/_act", true);
    board.setString("kavri3D/autoLogin/password", "x");
    add(1);
    add(2);
    // 32 characters (two bytes each for the last ones) are taken; 33 are not.
    board.setString("kavri3D/autoLogin/name", std::string(30, 'n') + "\xC3\xBC\xC3\xBC");
    manager->onFirstPanelsCreated();
    manager->getAnimator()->update(0.04f);
    EXPECT_EQ(tally.callbacks, 1);

    board.setString("kavri3D/autoLogin/name", std::string(33, 'n'));
    manager->onFirstPanelsCreated();
    manager->getAnimator()->update(0.04f);
    EXPECT_EQ(tally.callbacks, 1); // no log-in event: nothing tried, nothing saved
    EXPECT_TRUE(logged("ZRK_Gui", "log-in refused: the name is longer than 32 characters"));
}
