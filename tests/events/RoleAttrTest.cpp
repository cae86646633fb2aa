// A player's record as the GUI reads it, filled from user-info trees of any shape.
#include <gtest/gtest.h>
#include <yake/Configuration.h>

#include "events/fillRoleAttr.h"

using kavri3D::core::XmlConfigHelper;
using kavri3D::zrk::fillRoleAttr;
using kavri3D::zrk::gui::RoleAttr;

namespace {

RoleAttr filled(const XmlConfigHelper& info)
{
    RoleAttr attr;
    fillRoleAttr(attr, info);
    return attr;
}

RoleAttr withStats(const std::string& text)
{
    XmlConfigHelper info;
    info.setStringVal("pc_stats", text);
    return filled(info);
}

} // namespace

TEST(RoleAttrTest, MembershipFollowsTheDrillWord)
{
    const struct {
        int word, level, yearly;
    } cases[] = {{0x000, 0, 0}, {0x103, 3, 0}, {0x113, 13, 1}, {0x110, 0, 1}, {0x013, 0, 0}, {0x20F, 15, 0}};
    for (const auto& c : cases) {
        XmlConfigHelper info;
        info.setIntVal("pc_blue_drill", c.word);
        const RoleAttr attr = filled(info);
        EXPECT_EQ(c.level, attr.blue_level) << std::hex << c.word;
        EXPECT_EQ(c.yearly, attr.blue_year) << std::hex << c.word;
    }
    // A word of the wrong type is no membership.
    XmlConfigHelper info;
    info.setStringVal("pc_blue_drill", "gold");
    EXPECT_EQ(0, filled(info).blue_level);
}

TEST(RoleAttrTest, FieldsAndTheirDoubledCopies)
{
    XmlConfigHelper info;
    info.setIntVal("pc_id", 7);
    info.setIntVal("a_id", 3);
    info.setIntVal("c_id", 1);
    info.setStringVal("pc_nickname", "Hero");
    info.setIntVal("pc_lv", 12);
    info.setIntVal("pc_rank", 4);
    info.setIntVal("pc_money1", 900);
    info.setIntVal("pc_str", 25);
    info.setIntVal("pc_stp", 6);
    info.setIntVal("pc_bag_slot", 20);
    info.setStringVal("pc_hp", "lots"); // unreadable: the default

    RoleAttr attr;
    attr.member_name = "hero@chat";
    fillRoleAttr(attr, info);
    EXPECT_EQ(7, attr.pc_id);
    EXPECT_EQ(3, attr.a_id);
    EXPECT_EQ(1, attr.c_id);
    EXPECT_EQ("Hero", attr.pc_nickname);
    EXPECT_EQ(12, attr.pc_lv);
    EXPECT_EQ(4, attr.pc_rank);
    EXPECT_EQ(900, attr.pc_money1);
    EXPECT_EQ(25, attr.pc_str);
    EXPECT_EQ(25, attr.pc_str2);
    EXPECT_EQ(6, attr.pc_stp);
    EXPECT_EQ(6, attr.pc_stp2);
    EXPECT_EQ(20, attr.pc_bag_slot);
    EXPECT_EQ(0, attr.pc_hp);
    EXPECT_EQ(0, attr.pc_money2);
    EXPECT_EQ("hero@chat", attr.member_name); // not the tree's to set
    EXPECT_TRUE(attr.extra.empty());
}

TEST(RoleAttrTest, StatsKeepTheirPlaces)
{
    EXPECT_TRUE(filled(XmlConfigHelper()).pc_stats.empty());
    EXPECT_EQ((std::vector<std::int32_t>{3, 1, 2}), withStats("[3,1,2]").pc_stats);
    EXPECT_EQ((std::vector<std::int32_t>{1, 0, 0}), withStats("[1,\"x\",{}]").pc_stats);
    EXPECT_TRUE(withStats("{}").pc_stats.empty());
    EXPECT_TRUE(withStats("abc").pc_stats.empty());
    EXPECT_TRUE(withStats("5").pc_stats.empty());
    // Nested deeper than the game reads JSON: refused, no stats.
    EXPECT_TRUE(withStats(std::string(100, '[') + std::string(100, ']')).pc_stats.empty());
    EXPECT_EQ((std::vector<std::int32_t>{0, 2}), withStats("[[1],2]").pc_stats);
    EXPECT_TRUE(withStats(std::string(100000, '[')).pc_stats.empty());
    // A refill forgets the old list.
    XmlConfigHelper info;
    info.setStringVal("pc_stats", "[9,9]");
    RoleAttr attr;
    fillRoleAttr(attr, info);
    fillRoleAttr(attr, XmlConfigHelper());
    EXPECT_TRUE(attr.pc_stats.empty());
}

TEST(RoleAttrTest, KeepsItsOwnCopyOfTheTree)
{
    // The tree of one player among many: a view of a section.
    XmlConfigHelper all;
    all.setIntVal("players/5/pc_lv", 30);
    all.setStringVal("players/5/pc_nickname", "Five");
    all.setIntVal("players/6/pc_lv", 2);
    const XmlConfigHelper five(all.getConfiguration(), "players/5");

    RoleAttr attr;
    attr.info.setStringVal("stale", "x");
    fillRoleAttr(attr, five);
    EXPECT_EQ(30, attr.pc_lv);
    EXPECT_EQ(30, attr.info.getIntVal("pc_lv", 0));
    EXPECT_EQ("Five", attr.info.getStringVal("pc_nickname", ""));
    EXPECT_FALSE(attr.info.hasKey("stale"));
    EXPECT_FALSE(attr.info.getConfiguration()->has("players/6/pc_lv")); // only this player's branch

    all.setIntVal("players/5/pc_lv", 31); // later changes of the source do not reach the record
    EXPECT_EQ(30, attr.info.getIntVal("pc_lv", 0));

    const RoleAttr copy = attr; // records travel by value
    EXPECT_EQ(30, copy.info.getIntVal("pc_lv", 0));
}
