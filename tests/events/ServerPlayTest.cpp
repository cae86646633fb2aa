// The log-in chain against the embedded server's world, read the way the later screens read
// it: item records by attribute name, the default look and the room level bands; and leaving
// the game on purpose against losing the connection.
#include "EventsFixture.h"

#include <core/DefaultFsmHelper.h>
#include <server/ZRKItemAttributes.h>
#include <data/ZRKServerRequest.h>
#include <data/ZRKUserRequest.h>

#include "events/ExitEvent.h"
#include "events/LoginGoEvent.h"
#include "rooms/EquipRes.h"
#include "rooms/RoomLogon.h"
#include "rooms/ZRKRoleRes.h"

using namespace kavri3D;
using namespace kavri3D::zrk;
using zrktest::EventsFixture;

namespace {

struct PlayFixture : EventsFixture {
    ExitEvent exitEvent{page, dispatcher};
    LoginGoEvent login{page, dispatcher};
    RoomLogon logonRoom; // marked for its lost-connection box when the connection is lost
    boost::shared_ptr<zrktest::RecordingState> logon, room;

    PlayFixture() { standAtLogOn(logon, room); }
    void logIn() { logInAsHero(login); }
};

/// Entry i of "room_lv" is the band of level i + 1: [low, high]; "room_lv1" the beginners' cap.
std::pair<int, int> band(const Json::Value& doc, int level)
{
    const Json::Value& bands = doc["room_lv"];
    const Json::Value& entry = level > 0 && bands.isArray() && static_cast<Json::ArrayIndex>(level) <= bands.size()
                                   ? bands[static_cast<Json::ArrayIndex>(level - 1)]
                                   : Json::Value::nullSingleton();
    if (!entry.isArray() || entry.size() < 2 || !entry[0].isInt() || !entry[1].isInt())
        return {-1, -1};
    return {entry[0].asInt(), entry[1].asInt()};
}

} // namespace

TEST_F(PlayFixture, TheLogInChainGivesItemRecordsByNameTheLookAndTheRoomBands)
{
    EquipRes equipment;
    ZRKRoleRes roles;
    roles.load("res/GUI/defstate.json");
    logIn();

    // Every template carries every attribute the item records are filled from.
    ZRKItemLib* items = ZRKServerRequest::getServer()->getItemLib();
    ASSERT_GT(items->size(), 10u);
    for (const char* id : {"3001", "5001", "6001"}) {
        const core::XmlConfigHelper item = items->find(id);
        for (const ZRKItemAttributes::Attribute& a : ZRKItemAttributes::all())
            EXPECT_TRUE(item.hasKey(a.name)) << id << " lacks " << a.name;
    }
    EXPECT_EQ(ZRKItemAttributes::all().size(), 61u);
    gui::BagData jacket;
    equipment.fillItemRecord(3001, jacket);
    EXPECT_EQ(jacket.i_name, "Field Jacket");
    EXPECT_EQ(jacket.i_add_amr, 3);
    EXPECT_EQ(jacket.i_desc, "Warm and tough.");
    gui::BagData cannon;
    equipment.fillItemRecord(6001, cannon);
    EXPECT_EQ(cannon.i_dmg_max, 300);
    EXPECT_EQ(cannon.i_shell_num, 99);

    // The player's look indexes the default-state lists of its sex.
    const Json::Value& doc = roles.getDefState();
    const core::XmlConfigHelper look = ZRKUserRequest::getUserDefState();
    const std::string sex = look.getStringVal("def_sex", "");
    ASSERT_EQ(sex, "boy");
    for (const char* part : {"hair", "face", "coat", "glove", "shoes"}) {
        const Json::Value& list = doc[sex][part];
        ASSERT_TRUE(list.isArray()) << part;
        const int index = look.getIntVal(std::string("def_") + part, -1);
        ASSERT_GE(index, 0);
        ASSERT_LT(index, static_cast<int>(list.size())) << part;
        EXPECT_TRUE(list[static_cast<Json::ArrayIndex>(index)].isString());
    }
    for (const char* s : {"boy", "girl"}) {
        ASSERT_TRUE(doc[s]["action"].isArray());
        EXPECT_EQ(doc[s]["action"].size(), doc[s]["effect"].size()) << "an effect beside each action";
    }

    // The bands as room joining reads them, for the player's level and around it.
    const int level = ZRKUserRequest::getPc_id().getIntVal("pc_lv", 0);
    ASSERT_EQ(level, 9);
    EXPECT_EQ(band(doc, level), std::make_pair(4, 14));
    EXPECT_EQ(band(doc, 12), std::make_pair(7, 17));
    ASSERT_TRUE(doc["room_lv1"].isInt());
    EXPECT_EQ(doc["room_lv1"].asInt(), 5);
    for (int l = 1; l <= static_cast<int>(doc["room_lv"].size()); ++l) {
        const std::pair<int, int> b = band(doc, l);
        EXPECT_GE(b.first, 1) << l;
        EXPECT_LE(b.first, b.second) << l;
    }
}

TEST_F(PlayFixture, LeavingOnPurposeIsNoLostConnectionButALostOneStillIs)
{
    logIn();
    const std::size_t entries = logon->entered.size();
    session->logout(); // back to log-on, as the log-out of the area screen leads there
    session->teleportAdv("logon");
    frames(3);
    EXPECT_EQ(logon->entered.size(), entries + 1); // once, not again for the log-out
    EXPECT_FALSE(logonRoom.isReloadMarked());      // and no lost-connection box waiting there

    logIn();
    session->goDead(); // quitting
    frames(3);
    EXPECT_TRUE(core::DefaultFsmHelper::getSingleton().isQuitRequested());
    EXPECT_EQ(machine().currentStateName(), "room");
    EXPECT_FALSE(logonRoom.isReloadMarked());
    EXPECT_TRUE(frame.getMessageBoxes().empty());

    {
        zrktest::StatePlacement again; // logged in again from the areas, with no log-out between
        logIn();
    }
    session->getGameServer()->dropClient(); // the server lets go of us
    frames(1);
    EXPECT_TRUE(logonRoom.isReloadMarked());
    EXPECT_EQ(machine().currentStateName(), "logon");
}
