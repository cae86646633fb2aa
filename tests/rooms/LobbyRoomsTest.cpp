// The area, the hall and the personal room in a running framework application: the screens
// they tell the GUI of, the animations they play, and how the personal room dresses its seats.
#include <boost/make_shared.hpp>
#include <core/AbstractWin32Application.h>
#include <core/BlackBoard.h>
#include <core/ClientStateMachine.h>
#include <data/ZRKSession.h>
#include <functional>
#include <gui/IGuiControl.h>
#include <gui/IGuiManager.h>

#include "RoomTestKit.h"
#include "rooms/AreaRoom.h"
#include "rooms/BackgroundScene.h"
#include "rooms/EquipRes.h"
#include "rooms/PersonalRoom.h"
#include "rooms/PlayerHallRoom.h"
#include "rooms/RoleManager.h"
#include "rooms/ZRKRole.h"
#include "rooms/ZRKRoleRes.h"
#include "support/HeadlessGameApp.h"
#include "support/StatePlacement.h"

using namespace kavri3D;
using zrk::AreaRoom;
using zrk::PersonalRoom;
using zrk::PlayerHallRoom;

namespace {

class LobbyApp : public zrktest::HeadlessGameApp<LobbyApp> {
public:
    using HeadlessGameApp::HeadlessGameApp;
    bool onPostInitialise() override
    {
        machine()->addState("logon", boost::make_shared<core::ClientState>());
        machine()->addState("room", area = boost::make_shared<AreaRoom>());
        machine()->addState("playerhall", hall = boost::make_shared<PlayerHallRoom>());
        machine()->addState("zrk_personalroom", personal = boost::make_shared<PersonalRoom>());
        return true;
    }
    /// Places the game in the state: the rooms are tried alone, not along the player's way.
    void go(const std::string& state)
    {
        zrktest::StatePlacement placed;
        machine()->changeState(state);
        runOneFrame();
    }
    int count(int id)
    {
        const std::vector<int> ids = control()->raisedIds();
        return static_cast<int>(std::count(ids.begin(), ids.end(), id));
    }

    boost::shared_ptr<AreaRoom> area;
    boost::shared_ptr<PlayerHallRoom> hall;
    boost::shared_ptr<PersonalRoom> personal;
};

} // namespace

TEST(LobbyRooms, TheAreaAndTheHallTellTheGuiAndOnlyTheAreaTicks)
{
    roomtest::ManualClock clock;
    bool ran = false;
    LobbyApp app(true, [&](LobbyApp& a) {
        ran = true;
        zrk::gui::IGuiControl* control = a.control();
        ASSERT_NE(control, nullptr);
        a.go("room");
        EXPECT_EQ(a.count(AreaRoom::kEnteredEventId), 1);
        EXPECT_TRUE(a.area->isCameraLocked());
        EXPECT_EQ(zrk::RoleManager::instance().getRoom(), a.area.get());
        int ticks = control->callCount("animator.tick");
        a.runOneFrame();
        EXPECT_GT(control->callCount("animator.tick"), ticks);

        a.personal->clearReload();
        a.go("playerhall");
        EXPECT_EQ(a.count(PlayerHallRoom::kEnteredEventId), 1);
        EXPECT_TRUE(a.personal->isReloadMarked());                    // the next room plays its transitions first
        EXPECT_EQ(control->callCount("animator.play:halldropin"), 0); // offline: no server object
        ticks = control->callCount("animator.tick");
        a.runOneFrame();
        a.runOneFrame();
        EXPECT_EQ(control->callCount("animator.tick"), ticks);
        a.go("room");
        EXPECT_EQ(a.count(PlayerHallRoom::kLeftEventId), 1);
        EXPECT_EQ(a.count(AreaRoom::kEnteredEventId), 2);
    });
    EXPECT_TRUE(core::runApplication(app));
    EXPECT_TRUE(ran);
}

TEST(LobbyRooms, AFreshPersonalRoomPlaysItsTransitionsByModeAndDressesNothing)
{
    roomtest::ManualClock clock;
    LobbyApp app(true, [&](LobbyApp& a) {
        zrk::gui::IGuiControl* control = a.control();
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(a.personal->isReloadMarked());
        const std::pair<int, const char*> modes[] = {
            {1, "roomdropin"}, {8, "jjcroomdropin"}, {9, "pveroomdropin"}, {5, "roomdropin"}};
        int roomDrops = 0;
        for (const auto& m : modes) {
            a.personal->setRoomMode(m.first);
            a.go("zrk_personalroom");
            if (std::string(m.second) == "roomdropin")
                ++roomDrops;
            EXPECT_EQ(control->callCount(std::string("animator.play:") + m.second),
                      std::string(m.second) == "roomdropin" ? roomDrops : 1)
                << m.first;
            a.go("room");
        }
        EXPECT_EQ(control->callCount("animator.play:halldropout"), 4);
        EXPECT_EQ(a.count(PersonalRoom::kEnteredEventId), 4);
        EXPECT_EQ(a.count(PersonalRoom::kDressedEventId), 0);
        EXPECT_TRUE(a.personal->isReloadMarked()); // the flag stays set
    });
    EXPECT_TRUE(core::runApplication(app));
}

TEST(LobbyRooms, AClearedPersonalRoomDressesItsSeatsAndSkipsEmptyOnes)
{
    roomtest::ManualClock clock;
    zrktest::TempDir dir;
    zrktest::writeFile(dir.file("defstate.json"),
                       "{\"boy\": {\"animation\": [\"stand\", \"in\", \"wave\"]}, \"girl\": {\"animation\": [\"x\"]}}");
    zrk::ZRKRoleRes roleRes;
    roleRes.load(dir.file("defstate.json"));
    zrk::EquipRes equip;
    LobbyApp app(true, [&](LobbyApp& a) {
        zrk::RoleManager& roles = zrk::RoleManager::instance();
        for (const char* seat : PersonalRoom::kSeats)
            roles.createRole(seat, nullptr);
        zrk::ZRKRolePtr own = roles.createRole("myrole", nullptr);
        equip.setSeatLook("red1", "boy");
        equip.setSeatLook("blue1", "girl");
        roles.getRole("red2")->addItem("kept"); // an empty seat keeps what it showed
        a.personal->clearReload();
        a.go("zrk_personalroom");
        EXPECT_EQ(roles.getRole("red1")->getIdleActions(), std::vector<std::string>{"wave"});
        EXPECT_EQ(roles.getRole("blue1")->getLook(), "girl");
        EXPECT_TRUE(roles.getRole("blue1")->getIdleActions().empty());
        EXPECT_EQ(roles.getRole("red2")->getIdleActions(), std::vector<std::string>{"kept"});
        EXPECT_EQ(own->getIdleActions(), std::vector<std::string>{"wave"}); // the own role is a boy
        EXPECT_EQ(a.count(PersonalRoom::kDressedEventId), 1);
        EXPECT_EQ(a.count(PersonalRoom::kEnteredEventId), 1);
        EXPECT_EQ(a.control()->callCount("clearScreens"), 1);
    });
    EXPECT_TRUE(core::runApplication(app));
}

TEST(LobbyRooms, WithoutTheGuiPlugInTheStatesStillRun)
{
    roomtest::ManualClock clock;
    LobbyApp app(false, [&](LobbyApp& a) {
        a.go("room");
        a.runOneFrame();
        a.go("playerhall");
        a.personal->clearReload();
        a.go("zrk_personalroom"); // no roles, no animator, no dispatcher
        a.runOneFrame();
        EXPECT_EQ(a.machine()->currentStateName(), "zrk_personalroom");
    });
    EXPECT_TRUE(core::runApplication(app));
}
