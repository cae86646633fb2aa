// The player's attributes against the embedded server: the records handed to the GUI, the
// default look the own character is dressed in, and the growth effects that follow the
// player's level and rank.
#include "EventsFixture.h"

#include <core/AvatarManager.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKUserRequest.h>
#include <CEGUI/CEGUI.h>
#include <gui/IGuiPage.h>
#include <gui/RoleAttr.h>

#include "events/ExitEvent.h"
#include "events/LoginGoEvent.h"
#include "events/PlayerAttrLoadingEvent.h"
#include "events/PlayerAttrRefreshEvent.h"
#include "rooms/EquipRes.h"
#include "rooms/RoleManager.h"
#include "rooms/ZRKRoleRes.h"

using namespace kavri3D;
using namespace kavri3D::zrk;
using zrktest::EventsFixture;

namespace {

struct AttrFixture : EventsFixture {
    EquipRes equipment;
    ZRKRoleRes roleRes;
    ExitEvent exitEvent{page, dispatcher};
    LoginGoEvent login{page, dispatcher};
    PlayerAttrLoadingEvent attr{page, dispatcher};
    boost::shared_ptr<zrktest::RecordingState> logon, room;
    ZRKRolePtr own, view;

    AttrFixture()
    {
        roleRes.load("res/GUI/defstate.json");
        standAtLogOn(logon, room);
        machine().addState("battle", boost::make_shared<zrktest::RecordingState>());
        own = RoleManager::instance().createRole("myrole", nullptr);
        view = RoleManager::instance().createRole("showview", nullptr);
    }
    ~AttrFixture() override { RoleManager::destroyInstance(); }

    void logIn()
    {
        logInAsHero(login);
        control->clearRaised();
    }
    /// The player's attributes asked for, the look put on, the growth followed.
    void openAttributes()
    {
        act(attr);
        frames(6);
    }
    void grade(int level, int rank)
    {
        ASSERT_TRUE(session->getGameServer()->core().setGrade("hero", level, rank));
        frames(3);
    }
    int flashes(const std::string& file) { return control->callCount("playFlash " + file); }
    std::vector<int> raised() const { return control->raisedIds(); }
};

template <class T> const T* valueOf(gui::ParamList* list, const std::string& name, std::int32_t* size = nullptr)
{
    for (gui::ParamNode* n : *list)
        if (n->name == name) {
            if (size)
                *size = n->size;
            return boost::any_cast<T>(&n->value);
        }
    return nullptr;
}

} // namespace

TEST_F(AttrFixture, RecordsOfTheCurrentCharacterAndOfEveryCharacterOfTheAccount)
{
    // Before the log-in: a record of defaults and no characters.
    std::int32_t size = -1;
    const gui::RoleAttr* current = valueOf<gui::RoleAttr>(attr.fillParams(), "currentRole", &size);
    ASSERT_TRUE(current);
    EXPECT_EQ(current->pc_id, 0);
    EXPECT_EQ(size, static_cast<std::int32_t>(sizeof(gui::RoleAttr)));
    const auto* roles = valueOf<std::vector<gui::RoleAttr>>(attr.fillParams(), "rolelist", &size);
    ASSERT_TRUE(roles);
    EXPECT_TRUE(roles->empty());
    EXPECT_EQ(size, 0);

    logIn();
    gui::ParamList* list = attr.fillParams();
    current = valueOf<gui::RoleAttr>(list, "currentRole");
    ASSERT_TRUE(current);
    EXPECT_EQ(current->pc_nickname, "Hero");
    EXPECT_EQ(current->pc_lv, 9);
    EXPECT_EQ(current->pc_money1, 1200);
    EXPECT_EQ(current->pc_str, 3);
    EXPECT_EQ(current->pc_str2, 3);
    EXPECT_EQ(current->pc_stp, 5);
    EXPECT_EQ(current->pc_bag_slot, 30);
    EXPECT_EQ(current->blue_level, 13); // 0x113: yearly, level 3 + 10
    EXPECT_EQ(current->blue_year, 1);
    EXPECT_EQ(current->pc_stats, (std::vector<std::int32_t>{42, 25, 61}));
    roles = valueOf<std::vector<gui::RoleAttr>>(list, "rolelist", &size);
    ASSERT_TRUE(roles);
    ASSERT_EQ(roles->size(), 2u);
    EXPECT_EQ(size, static_cast<std::int32_t>(2 * sizeof(gui::RoleAttr)));
    EXPECT_EQ((*roles)[0].pc_nickname, "Hero");
    EXPECT_EQ((*roles)[1].pc_nickname, "Heroine");
    EXPECT_EQ((*roles)[1].pc_stats, (std::vector<std::int32_t>{3, 1, 2}));

    PlayerAttrRefreshEvent refresh(page, dispatcher);
    EXPECT_EQ(refresh.getEventId(), 17);
    EXPECT_TRUE(refresh.fillParams()->empty());
}

TEST_F(AttrFixture, TheOwnCharacterIsDressedInItsDefaultLookAndTheGrowthIsFollowedOnce)
{
    logIn();
    openAttributes();
    EXPECT_EQ(count(raised(), 16), 1u);
    EXPECT_EQ(own->getLook(), "boy");
    const std::vector<std::string> boy = {"boy_hair_01", "boy_face_01", "boy_coat_01", "boy_glove_01", "boy_shoes_01"};
    EXPECT_EQ(own->getDefaultItems(), boy);
    EXPECT_EQ(view->getDefaultItems(), boy);
    EXPECT_EQ(own->getMood(), "boy_continue");
    EXPECT_EQ(equipment.getDefState().getStringVal("def_coat", ""), "boy_coat_01");
    EXPECT_EQ(equipment.getDefState().getStringVal("def_sex", ""), "boy");
    EXPECT_TRUE(attr.isSubscribed());

    openAttributes(); // a second visit subscribes no second time
    control->clearRaised();
    grade(10, 5); // level up, same rank
    EXPECT_EQ(count(raised(), 118), 1u);
    EXPECT_EQ(count(raised(), 17), 1u);
    EXPECT_EQ(count(raised(), 32), 1u);
    EXPECT_EQ(flashes("sp_levelup.swf"), 1);
    EXPECT_EQ(flashes("sp_rankup.swf"), 0);
    EXPECT_EQ(control->callCount("showGrowth.level"), 1);
    EXPECT_EQ(ZRKUserRequest::getPc_id().getIntVal("pc_lv", 0), 10);

    grade(9, 6); // a level falling still plays; a rank rising plays too
    EXPECT_EQ(flashes("sp_levelup.swf"), 2);
    EXPECT_EQ(flashes("sp_rankup.swf"), 1);
    EXPECT_EQ(count(raised(), 118), 3u);

    grade(9, 4); // a rank falling plays nothing, but the views are refilled
    EXPECT_EQ(flashes("sp_rankup.swf"), 1);
    EXPECT_EQ(count(raised(), 118), 3u);
    EXPECT_EQ(count(raised(), 17), 3u);
}

TEST_F(AttrFixture, UpdatesOfOthersOrWithoutTheGradeFlagChangeNothing)
{
    logIn();
    openAttributes();
    control->clearRaised();
    core::AvatarManager* avatars = ZRKUserRequest::getAvatarManager();
    ASSERT_TRUE(avatars);
    Json::Value views;
    views["pc"]["pc_lv"] = 30;
    session->getGameData().applyViews(views);
    avatars->fireUpdate("rookie", core::AvatarManager::Grade);
    avatars->fireUpdate("hero", core::AvatarManager::Looks);
    EXPECT_TRUE(raised().empty());
    EXPECT_EQ(flashes("sp_levelup.swf"), 0);
}

TEST_F(AttrFixture, ATaskNoticeOutsideBattlesOnly)
{
    logIn();
    openAttributes();
    control->clearRaised();
    core::AvatarManager* avatars = ZRKUserRequest::getAvatarManager();
    ASSERT_TRUE(avatars);
    Json::Value views;
    views["pc"] = ZRKGameServer::garbageText(); // a view of the wrong shape reads as defaults
    session->getGameData().applyViews(views);
    views["pc"] = Json::Value(Json::objectValue);
    views["pc"]["pc_lv"] = 9;
    views["pc"]["pc_rank"] = 5;
    views["pc"]["pc_newbie_task"] = 8; // was 7
    session->getGameData().applyViews(views);
    avatars->fireUpdate("hero", core::AvatarManager::Grade);
    EXPECT_EQ(count(raised(), 88), 1u);

    {
        zrktest::StatePlacement placed; // straight into a battle
        machine().changeState("battle");
        engine.update(0);
    }
    views["pc"]["pc_newbie_task"] = 9;
    session->getGameData().applyViews(views);
    avatars->fireUpdate("hero", core::AvatarManager::Grade | core::AvatarManager::Looks);
    EXPECT_EQ(count(raised(), 88), 1u);
    EXPECT_EQ(count(raised(), 17), 2u);
    EXPECT_EQ(count(raised(), 32), 2u);
}

TEST_F(AttrFixture, AGirlIsDressedFromHerSectionAndIndexesPastTheListsReadEmpty)
{
    logIn();
    Json::Value views;
    views["pc"]["c_id"] = 2;
    views["defState"]["def_hair"] = 1;
    views["defState"]["def_face"] = 7;  // past the end
    views["defState"]["def_coat"] = -1; // before the start
    views["defState"]["def_glove"] = "x";
    session->getGameData().applyViews(views);
    attr.onDefStateReply(false, "");
    EXPECT_EQ(own->getLook(), "girl");
    EXPECT_EQ(own->getDefaultItems(), (std::vector<std::string>{"girl_hair_02", "girl_glove_01", "girl_shoes_01"}));
    EXPECT_EQ(equipment.getDefState().getStringVal("def_face", "?"), "");
    EXPECT_EQ(own->getMood(), "girl_continue");
    EXPECT_EQ(count(raised(), 16), 1u);

    // Without the preview role nothing more happens.
    RoleManager::instance().removeRole("showview");
    control->clearRaised();
    attr.onDefStateReply(false, "");
    EXPECT_TRUE(raised().empty());
}

TEST_F(AttrFixture, FailedQueriesAreLoggedAndRaiseNothing)
{
    // No session yet: one line, no request.
    act(attr);
    EXPECT_FALSE(attr.isSubscribed());
    EXPECT_EQ(log.countCaptured("PlayerAttrLoadingEvent", ""), 1u);

    logIn();
    session->getGameServer()->setModeFor("queryUserInfo", ZRKGameServer::Fail);
    openAttributes();
    EXPECT_EQ(count(raised(), 16), 0u);
    EXPECT_EQ(log.countCaptured("PlayerAttrLoadingEvent", "the server is busy"), 1u);
    session->getGameServer()->clearModes();
    session->getGameServer()->setModeFor("queryUserDefState", ZRKGameServer::Fail);
    openAttributes();
    EXPECT_EQ(count(raised(), 16), 0u);
    EXPECT_EQ(log.countCaptured("PlayerAttrLoadingEvent", "the server is busy"), 2u);
}

TEST_F(AttrFixture, AReplyAfterTheEventIsGoneReachesNothing)
{
    logIn();
    {
        PlayerAttrLoadingEvent passing(page, dispatcher);
        act(passing);
    }
    frames(6);
    EXPECT_EQ(count(raised(), 16), 0u);
    // The subscription went with it: a grade change reaches nobody.
    grade(11, 5);
    EXPECT_EQ(flashes("sp_levelup.swf"), 0);
}

TEST_F(AttrFixture, ThePlayerPageShowsTheCurrentCharacterAfterTheLoadingAndTheRefreshIds)
{
    logIn();
    gui::IGuiPage* playerPage = manager->getPage(7);
    ASSERT_TRUE(playerPage);
    dispatcher->registerEvent(new PlayerAttrLoadingEvent(playerPage, dispatcher)); // the dispatcher owns it
    CEGUI::Window* line = playerPage->getRootWindow()->getChild("Attributes");
    ASSERT_TRUE(line);
    dispatcher->raise(16);
    EXPECT_EQ(line->getText(),
              "Hero  Lv 9  Rank 5  Coins 1200  Coupons 30  Medals 5"); // the shop shows every money kind

    // The refresh id hands out nothing of its own: the page reads the attributes afresh.
    Json::Value views;
    views["userSetting/hero"]["pc_nickname"] = "Hero";
    views["userSetting/hero"]["pc_lv"] = 10;
    session->getGameData().applyViews(views);
    dispatcher->raise(17);
    EXPECT_EQ(line->getText(), "Hero  Lv 10  Rank 0  Coins 0  Coupons 0  Medals 0");
    // The hall's and the room's title bars carry the same line.
    for (int kind : {8, 9})
        EXPECT_NE(std::string(manager->getPage(kind)->getRootWindow()->getText().c_str())
                      .find("Lv 10  Exp 0  Coins 0  Coupons 0"),
                  std::string::npos)
            << kind;
}
