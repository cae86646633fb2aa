// A mission's stages on the client, against the embedded server with the room's values told as
// the server tells them: the stage won brings the half-time screen (no boxes), the server's
// stage change rebuilds the battle in the same scene once the next stage's values have come,
// and each stage lends its own arms, the last stage's taken back first.
#include <CEGUI/CEGUI.h>
#include <gtest/gtest.h>
#include <gui/IBattlePanel.h>
#include <gui/IGuiManager.h>
#include <land/DollConstants.h>
#include <land/ZRKPlayerSim.h>
#include <lan/ZRKLan.h>

#include "DisplaysFixture.h"
#include "battle/hud/ZRKProgressPanel.h"
#include "support/GamePages.h"

using namespace kavri3D;
using namespace kavri3D::zrk;
using zrktest::bag;
using zrktest::BagContents;

namespace {

struct MissionStagesTest : zrktest::DisplaysFixture {
    ZRKLan lan{"res/lan"}; // the game's texts
    gui::IGuiManager* gui()
    {
        gui::IGuiManager* manager = nullptr;
        return loader.createGuiManager(&manager) ? manager : nullptr;
    }
    /// The room's state and values changed as a notice of the server changes them.
    void tell(const Json::Value& state, const Json::Value& params = Json::Value())
    {
        ZRKRoomState* room = ZRKRoomRequest::getRoomState("battle_hero", false, false);
        ASSERT_NE(room, nullptr);
        Json::Value s = ZRKJson::fromView(room->getState());
        for (const std::string& k : state.getMemberNames())
            s[k] = state[k];
        Json::Value p;
        if (params.isObject()) {
            p = ZRKJson::fromView(room->getParams());
            for (const std::string& k : params.getMemberNames())
                p[k] = params[k];
        }
        room->applyState(s, p);
    }
    /// A stage of the fixed play 2001 as the duplicate library holds it.
    Json::Value stage(int dsId)
    {
        const Json::Value duplicate = ZRKJson::fromView(ZRKServerRequest::getServer()->getDuplicateLib()->find("2001"));
        // The library's view carries its numbers as texts.
        for (const Json::Value& s : duplicate["stages"])
            if (s.isObject() && (s["ds_id"].isString() ? s["ds_id"].asString() == std::to_string(dsId)
                                                       : s["ds_id"].isInt() && s["ds_id"].asInt() == dsId))
                return s;
        return Json::Value();
    }
    /// The item ids a stage lends: its weapons, or its props.
    std::multiset<std::string> lent(int dsId, bool weapons)
    {
        std::vector<BattleRoom::StageWeapon> w;
        std::vector<std::string> p;
        const Json::Value s = stage(dsId);
        EXPECT_TRUE(BattleRoom::readStageArms(s["ds_ai"].isString() ? s["ds_ai"].asString() : "", w, p));
        std::multiset<std::string> ids;
        for (const BattleRoom::StageWeapon& one : w)
            ids.insert(one.id);
        return weapons ? ids : std::multiset<std::string>(p.begin(), p.end());
    }
    /// A line of the half-time screen as drawn.
    static std::string said(const char* line)
    {
        CEGUI::Window* root = CEGUI::System::getSingleton().getDefaultGUIContext().getRootWindow();
        CEGUI::Window* page = root ? root->getChildRecursive("HalfTimePage") : nullptr;
        return page && page->isChild(line) ? page->getChild(line)->getText().c_str() : std::string("(none)");
    }
    static std::multiset<std::string> ids(const BagContents& contents)
    {
        std::multiset<std::string> out;
        for (const auto& item : contents)
            out.insert(std::get<0>(item));
        return out;
    }
};

} // namespace

TEST_F(MissionStagesTest, AStageWonShowsTheHalfTimeThenTheNextIsBuiltFromTheServersNewValuesWithItsOwnArms)
{
    ASSERT_TRUE(stage(1).isObject() && stage(2).isObject()) << "the fixed play 2001 has two stages";
    const BagContents weapons = bag(2), props = bag(5);
    Json::Value first;
    first["d_id"] = 2001;
    first["ds_id"] = 1;
    first["tactic"] = 9;
    enterAndLoad("prev=playerhall", first);
    const int ammo = room->getAmmoBag() + 1;
    ASSERT_EQ(room->getLand()->getFixPlay(), 1);
    EXPECT_EQ(ids(bag(ammo)), lent(1, true));
    EXPECT_EQ(ids(bag(5)), lent(1, false));

    // Won, with a stage to come: ten seconds on, the half-time screen says which, without boxes.
    Json::Value won;
    won["ds_next"] = 1;
    tell(won);
    room->onBattleOver();
    EXPECT_NE(zrktest::shownPage("BattleOverPage"), nullptr);
    ASSERT_TRUE(until([&] { return room->getHalfTimeStage() == 1; }, 60, 0.25f, "the half time"));
    // The half time takes the result's place.
    EXPECT_EQ(zrktest::shownPage("BattleOverPage"), nullptr);
    EXPECT_FALSE(room->isBattleOverShown());
    gui::IHalfTimeView* halfTime = gui()->getHalfTimeView();
    ASSERT_NE(halfTime, nullptr);
    EXPECT_TRUE(halfTime->isShown());
    EXPECT_EQ(room->getBoxPanel(), nullptr);
    EXPECT_EQ(said("Won"), "Stage 1 of Fort Raid is won!");
    EXPECT_EQ(said("Next"), "Next comes stage 2 of Fort Raid.");

    // The server moves the room on: the battle is taken down, the last stage's arms go back,
    // and the new land waits while the room still holds the last stage's values.
    ZRKLand* last = room->getLand();
    Json::Value change;
    change["state"] = ROOM_RESYNC;
    tell(change);
    ASSERT_TRUE(until([&] { return room->getLand() != last; }, 40, 0.05f, "the rebuild"));
    EXPECT_FALSE(halfTime->isShown());
    EXPECT_FALSE(room->isBattleOverShown());
    EXPECT_EQ(bag(ammo), weapons);
    EXPECT_EQ(bag(5), props);
    frames(20);
    EXPECT_FALSE(room->areParamsReceived());
    EXPECT_EQ(room->getLand()->getLoadState(), 0);

    // The next stage's values: the same mission, its second stage, built from them.
    Json::Value start, next;
    start["state"] = 0;
    next["ds_id"] = 2;
    next["seed"] = 99;
    tell(start, next);
    ASSERT_TRUE(until([&] { return room->getLand()->getLoadState() >= LOAD_LOADED; }, 200, 0.05f, "the loading"));
    Json::Value fighting;
    fighting["state"] = ROOM_FIGHTING;
    tell(fighting);
    ASSERT_TRUE(until([&] { return room->getLand()->getLoadState() >= LOAD_READY; }, 100, 0.05f, "the fight"));
    EXPECT_EQ(room->getLand()->getZRKDs().getIntVal("ds_id", -1), 2);
    EXPECT_EQ(room->getLand()->getFixPlay(), 1);
    EXPECT_EQ(ids(bag(ammo)), lent(2, true)); // stage 2's own, none of stage 1's
    EXPECT_EQ(ids(bag(5)), lent(2, false));
    ZRKPlayerSim* me = room->getLand()->getMyDoll();
    ASSERT_NE(me, nullptr);
    std::multiset<std::string> armed;
    for (const WeaponState& w : me->getWeaponBag()->getSlots())
        if (!w.empty())
            armed.insert(w.name);
    EXPECT_EQ(armed, lent(2, true));

    room->onExit();
    EXPECT_EQ(bag(ammo), weapons);
    EXPECT_EQ(bag(5), props);
}

TEST_F(MissionStagesTest, TheLoadingScreenOfARebuiltStageShowsThatStagesPicture)
{
    Json::Value first;
    first["d_id"] = 2001;
    first["ds_id"] = 1;
    first["tactic"] = 9;
    enterAndLoad("prev=playerhall", first);
    ZRKLand* last = room->getLand();
    Json::Value change;
    change["state"] = ROOM_RESYNC;
    tell(change);
    ASSERT_TRUE(until([&] { return room->getLand() != last; }, 40, 0.05f, "the rebuild"));
    ASSERT_NE(room->getProgressPanel(), nullptr);
    const auto pictureOf = [&](int dsId) {
        const Json::Value s = stage(dsId);
        return s["intro"].isString() ? s["intro"].asString() : std::string("MAP01/PG099.JPG");
    };
    ASSERT_NE(pictureOf(1), pictureOf(2));
    EXPECT_EQ(room->getProgressPanel()->getPicture(), pictureOf(1)); // made while the room held stage 1's values
    frames(10);                                                      // the server holds the change a while
    Json::Value start, next;
    start["state"] = 0;
    next["ds_id"] = 2;
    tell(start, next);
    ASSERT_TRUE(until([&] { return room->getLand()->getLoadState() > 0; }, 40, 0.05f, "the loading"));
    ASSERT_NE(room->getProgressPanel(), nullptr);
    EXPECT_EQ(room->getProgressPanel()->getPicture(), pictureOf(2));
}
