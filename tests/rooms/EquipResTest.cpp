// Equipment resources: the icons file and its bad forms, the default equipment, and item
// records filled from the item library's attributes by name, looked up once per item.
#include <gtest/gtest.h>
#include <data/ZRKGameData.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKRequestBroker.h>
#include <data/ZRKServer.h>
#include <data/ZRKServerRequest.h>
#include <data/ZRKUserRequest.h>
#include <server/ZRKWorld.h>
#include <data/ZRKSession.h>

#include "RoomTestKit.h"
#include "support/FramePump.h"
#include "support/TestEnv.h"
#include "rooms/EquipRes.h"
#include "rooms/Wrapper.h"
#include "rooms/ZRKRoleRes.h"

using namespace kavri3D;
using zrk::EquipRes;

namespace {

const std::size_t kAttributeNames = 61;

std::vector<std::string> itemsOf(const core::EquipmentList& list)
{
    std::vector<std::string> names;
    for (const core::Equipment& e : list)
        names.push_back(e.getItem());
    return names;
}

Json::Value itemLibrary(const std::string& json)
{
    Json::Value v;
    zrktest::parseJson(json, v);
    Json::Value views;
    views["lib/item"] = v;
    return views;
}

} // namespace

TEST(EquipRes, ReadsTheGameIconsFile)
{
    EquipRes res;
    res.load();
    EXPECT_EQ(res.getIcon(1001), "icon_hair_01");
    EXPECT_EQ(res.getModel(2101), "boy_suite_01");
    EXPECT_EQ(res.getAltModel(2101), "girl_suite_01");
    EXPECT_EQ(res.getSfName(2101), "suite01_sf");
    // An item without a model keeps its icon and nothing else, whatever the file says.
    EXPECT_EQ(res.getIcon(5002), "icon_heal_01");
    EXPECT_EQ(res.getAltModel(5002), "");
    EXPECT_EQ(res.getSfName(5002), "");
    const std::size_t models = res.modelCount();
    EXPECT_EQ(res.getModel(5002), "");
    EXPECT_EQ(res.modelCount(), models + 1); // asking remembers the id with an empty model
    EXPECT_EQ(res.getAltModel(9999), "");
    EXPECT_EQ(res.attributeParserCount(), kAttributeNames);
}

TEST(EquipRes, BadIconsFilesAreLoggedAndSkipped)
{
    zrktest::TempDir dir;
    roomtest::LogCapture log;
    {
        EquipRes res;
        res.load(dir.file("missing.icons"));
        EXPECT_EQ(log.count("EquipRes::load", "icon.json open failed"), 1u);
        EXPECT_EQ(res.getIcon(1001), "");
        EXPECT_EQ(res.attributeParserCount(), kAttributeNames); // records can still be filled
    }
    const std::string deep = "{\"data\": " + zrktest::nestedJson(100000) + "}";
    for (const std::string& text : {std::string(), std::string("{\"data\": [{\"id\": 1, \"icon\": \"a\""),
                                    std::string("[1, 2]"), std::string("{\"data\": {\"id\": 1}}"), deep}) {
        zrktest::writeFile(dir.file("bad.icons"), text);
        EquipRes res;
        res.load(dir.file("bad.icons"));
        EXPECT_EQ(res.getIcon(1), "") << text.substr(0, 40);
        EXPECT_EQ(res.modelCount(), 0u) << text.substr(0, 40);
    }
    EXPECT_EQ(log.count("EquipRes::load", "icon.json read failed"), 3u);

    zrktest::writeFile(dir.file("types.icons"), R"({"data": [
        {"id": "7", "icon": "x", "3dmodel": "m"}, {"id": 8, "icon": 5, "3dmodel": "m"},
        {"id": 9, "icon": "ok", "3dmodel": "m9", "_sf": 3, "altmodel": null}, "junk", {"id": -2147483649}]})");
    EquipRes res;
    res.load(dir.file("types.icons"));
    EXPECT_EQ(res.getIcon(7), "");
    EXPECT_EQ(res.getIcon(8), "");
    EXPECT_EQ(res.getIcon(9), "ok");
    EXPECT_EQ(res.getSfName(9), "");
    EXPECT_EQ(res.getAltModel(9), "");
    EXPECT_EQ(res.modelCount(), 1u);
}

TEST(EquipRes, DefaultEquipmentIsTheOutfitThenSixDefaultItems)
{
    EquipRes res;
    core::EquipmentList plain = res.getDefaultEquipment();
    EXPECT_EQ(itemsOf(plain), std::vector<std::string>(6, ""));
    res.setEquipmentList({{"coat", "boy_coat_01"}, {"shoes", "boy_shoes_01"}, {"suite", "boy_suite_01"}});
    core::XmlConfigHelper state;
    state.setStringVal("def_sex", "boy");
    state.setStringVal("def_hair", "boy_hair_01");
    res.setDefState(state);
    EXPECT_EQ(itemsOf(res.getDefaultEquipment()),
              (std::vector<std::string>{"boy_suite_01", "boy_shoes_01", "boy", "boy_hair_01", "", "", "", ""}));
    res.setSeatLook("red1", "girl");
    res.setSeatEquipment("red1", {core::Equipment("girl_hair_02")});
    EXPECT_EQ(res.getSeatLook("red1"), "girl");
    EXPECT_EQ(itemsOf(res.getSeatEquipment("red1")), std::vector<std::string>{"girl_hair_02"});
    EXPECT_TRUE(res.getSeatEquipment("blue4").empty());
}

TEST(EquipRes, ItemRecordsComeFromTheLibraryByNameOncePerItem)
{
    zrk::ZRKSession session(zrk::ZRKGameServer::start("res/server"));
    EquipRes res;
    res.load();
    zrk::Wrapper wrapper;
    // Offline: the library is not there; the record has its id and nothing is remembered.
    EXPECT_EQ(wrapper.getItemRecord(3001).i_name, "");
    session.login("hero", "hero123", [](core::ISession*, int) {});
    session.update(0);
    ASSERT_TRUE(session.isOnline());
    zrk::ZRKGameData::getSingleton().applyViews(itemLibrary(R"({"3001": {"i_name": "Bomb", "i_desc": "Goes bang",
        "i_add_str": "12", "i_add_str_pt": "3", "i_dmg_max": "300", "ic_id": "4", "i_field2": "-7", "i_ext3": "x",
        "i_speed": "fast", "i_unknown": "5"}})"));

    zrk::gui::BagData record;
    record.pci_slot = 9; // the instance part is the caller's
    record.attr_x = "kept";
    res.fillItemRecord(3001, record);
    EXPECT_EQ(record.i_id, 3001);
    EXPECT_EQ(record.i_name, "Bomb");
    EXPECT_EQ(record.i_desc, "Goes bang");
    EXPECT_EQ(record.i_add_str, 12);
    EXPECT_EQ(record.i_add_str_pt, 3);
    EXPECT_EQ(record.i_reserved1, 0); // the fields after the description stay empty
    EXPECT_EQ(record.i_reserved2, 0);
    EXPECT_EQ(record.i_dmg_max, 300);
    EXPECT_EQ(record.ic_id, 4);
    EXPECT_EQ(record.i_field2, -7);
    EXPECT_EQ(record.i_ext3, "x");
    EXPECT_EQ(record.i_speed, 0); // not a number
    EXPECT_EQ(record.pci_slot, 9);
    EXPECT_EQ(record.attr_x, "kept");

    // The library changes; the record was taken once and stays as it was.
    zrk::ZRKGameData::getSingleton().applyViews(itemLibrary(R"({"3001": {"i_name": "Other"}})"));
    EXPECT_EQ(wrapper.getItemRecord(3001).i_name, "Bomb");
    EXPECT_EQ(wrapper.getItemRecord(3001).i_dmg_max, 300);
}

TEST(EquipRes, LoadBringsInTheItemsTheServerAddedAndHandsItselfToTheDataLibrary)
{
    zrk::ZRKSession session(zrk::ZRKGameServer::start("res/server"));
    session.login("hero", "hero123", [](core::ISession*, int) {});
    session.update(0);
    ASSERT_TRUE(session.isOnline());
    zrktest::FramePump pump([&] {
        session.update(0);
        return true;
    });
    pump.frames(5);
    zrk::ZRKItemLib* items = zrk::ZRKServerRequest::getServer()->getItemLib();
    core::XmlConfigHelper found;
    EXPECT_FALSE(items->findItem(7777, found));

    // The server's operator adds an item while the client runs.
    zrk::ZRKWorld& world = session.getGameServer()->core().world();
    Json::Value library = world.document("lib/item");
    library["7777"]["i_name"] = "Comet";
    library["7777"]["i_dmg_max"] = "450";
    ASSERT_TRUE(world.putDocument("lib/item", library));

    {
        EquipRes res;
        EXPECT_EQ(zrk::ZRKUserRequest::getEquipmentMgr(), nullptr);
        res.load();
        EXPECT_EQ(zrk::ZRKUserRequest::getEquipmentMgr(), static_cast<zrk::IEquipmentManager*>(&res));
        EXPECT_TRUE(items->isSyncing());
        res.load(); // the log-in's second load asks nothing more while the first is on its way
        pump.until([&] { return !items->isSyncing(); }, 5, "the item library in step with the server");
        EXPECT_FALSE(items->isSyncing());
        EXPECT_TRUE(items->findItem(7777, found));
        zrk::gui::BagData record;
        res.fillItemRecord(7777, record);
        EXPECT_EQ(record.i_name, "Comet");
        EXPECT_EQ(record.i_dmg_max, 450);
        // The library asks about the item through what it was handed.
        EXPECT_EQ(zrk::ZRKUserRequest::getEquipmentMgr()->getIcon(1001), "icon_hair_01");
    }
    // Gone with the resources: the library is never left asking a freed object.
    EXPECT_EQ(zrk::ZRKUserRequest::getEquipmentMgr(), nullptr);
    std::size_t syncs = 0;
    for (const zrk::ZRKRequestInfo& r : zrk::ZRKRequestBroker::getSingleton().history())
        syncs += r.op == "refreshLib" && r.kind == "ZRKItemLib";
    EXPECT_EQ(syncs, 1u);
}

TEST(ZRKRoleRes, DefaultAppearancesAndBadFiles)
{
    zrktest::TempDir dir;
    roomtest::LogCapture log;
    zrk::ZRKRoleRes res;
    res.load();
    EXPECT_EQ(res.getIdleActions("boy"), (std::vector<std::string>{"boy_wave", "boy_stretch", "boy_look_around"}));
    EXPECT_EQ(res.getNumber("MaxTimeSpan", 0.f), 5.f);
    EXPECT_EQ(res.getDefState()["Loading1ST"].size(), 2u);

    res.load(dir.file("none.json"));
    EXPECT_TRUE(res.getDefState().isNull());
    EXPECT_EQ(log.count("ZRKRoleRes::load", "defstate.json open failed"), 1u);
    // Over a thousand levels deep ended the game: the reader's exception went uncaught.
    for (const std::string& text : {std::string(), std::string("{\"boy\": {\"animation\": [\"a\", "),
                                    "{\"boy\": " + zrktest::nestedJson(1001) + "}"}) {
        zrktest::writeFile(dir.file("bad.json"), text);
        res.load(dir.file("bad.json"));
        EXPECT_TRUE(res.getDefState().isNull()) << text.substr(0, 40);
        EXPECT_TRUE(res.getIdleActions("boy").empty());
    }
    EXPECT_EQ(log.count("ZRKRoleRes::load", "defstate.json read failed"), 3u);
    zrktest::writeFile(dir.file("huge.json"), "{\"boy\": \"" + std::string(2 * 1024 * 1024, 'x') + "\"}");
    res.load(dir.file("huge.json"));
    EXPECT_TRUE(res.getDefState().isNull());
    EXPECT_EQ(log.count("ZRKRoleRes::load", "defstate.json open failed"), 2u);
    zrktest::writeFile(dir.file("types.json"),
                       R"({"boy": {"animation": [1, "a", "b", 5]}, "girl": [1], "MaxTimeSpan": "x"})");
    res.load(dir.file("types.json"));
    EXPECT_EQ(res.getIdleActions("boy"), std::vector<std::string>{"b"});
    EXPECT_TRUE(res.getIdleActions("girl").empty());
    EXPECT_TRUE(res.getIdleActions("nobody").empty());
    EXPECT_EQ(res.getNumber("MaxTimeSpan", 4.f), 4.f);
}
