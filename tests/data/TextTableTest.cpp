#include <gtest/gtest.h>

#include <data/SpConfig.h>
#include <fstream>
#include <lan/ZRKLan.h>
#include <regex>
#include <set>
#include <support/TestEnv.h>

using namespace kavri3D::zrk;

TEST(TextTableTest, KnownKeysGiveTextsUnknownKeysThemselves)
{
    EXPECT_EQ(ZRKLan::getMsg("error/title1"), "error/title1"); // no text library yet
    ZRKLan lan("res/lan");
    EXPECT_FALSE(ZRKLan::getMsg("msg/app_title").empty());
    EXPECT_NE(ZRKLan::getMsg("msg/app_title"), "msg/app_title");
    EXPECT_EQ(ZRKLan::getMsg("error/user_loaded_wrong"), "This account is already logged in elsewhere.");
    EXPECT_EQ(ZRKLan::getMsg("warning/no_such_key"), "warning/no_such_key");
    EXPECT_EQ(ZRKLan::getMsg(""), "");
    EXPECT_EQ(ZRKLan::getConfig().getIntVal("pc_item/unlock_rank/day", 0), 30);
}

TEST(TextTableTest, FormattedTextsTakeTheirArguments)
{
    ZRKLan lan("res/lan");
    // Texts the game formats must hold exactly as many placeholders as it passes arguments.
    const std::pair<const char*, int> formatted[] = {{"warning/quit_task", 1},
                                                     {"error/no_access", 1},
                                                     {"warning/room_lv_limit1", 1},
                                                     {"warning/unlock_rank_cfm", 4},
                                                     {"msg/shopping_cost", 3},
                                                     {"msg/shopping_cost1", 4},
                                                     {"msg/shopping_completed_request_const", 4},
                                                     {"msg/prizeBox_open_dianjuan", 1},
                                                     {"msg/guildshop_confirm", 3},
                                                     {"msg/arenashop_confirm", 3},
                                                     {"msg/gift_confirm", 1}};
    for (const auto& f : formatted) {
        std::string text = ZRKLan::getMsg(f.first);
        std::set<std::string> found;
        std::regex placeholder("%[0-9]+%");
        for (auto it = std::sregex_iterator(text.begin(), text.end(), placeholder); it != std::sregex_iterator(); ++it)
            found.insert(it->str());
        EXPECT_EQ(static_cast<int>(found.size()), f.second) << f.first;
    }
}

TEST(TextTableTest, BrokenTableStillAnswersWithKeys)
{
    zrktest::TempDir dir;
    zrktest::writeFile(dir.file("texts.json"), "{\"error/title1\": 5, \"warning/title\": \"Notice\", ");
    zrktest::writeFile(dir.file("settings.json"), "[1]");
    ZRKLan lan(dir.path());
    EXPECT_EQ(ZRKLan::getMsg("error/title1"), "error/title1");
    EXPECT_EQ(lan.size(), 0u);

    zrktest::writeFile(dir.file("texts.json"),
                       "{\"error/title1\": \"Error\", \"x\": " + zrktest::nestedJson(100000) + "}");
    ZRKLan deep(dir.path());
    EXPECT_EQ(deep.size(), 0u);
    EXPECT_EQ(ZRKLan::getMsg("error/title1"), "error/title1");
}

TEST(TextTableTest, PlatformSettings)
{
    EXPECT_EQ(SpConfig::getConfig().getStringVal("platform_tgw", "none"), "none");
    SpConfig config("res/lan/spconfig.json");
    EXPECT_TRUE(SpConfig::getConfig().hasKey("platform_tgw"));
    EXPECT_FALSE(SpConfig::getConfig().getBoolVal("platform_bluedrill", true));
}
