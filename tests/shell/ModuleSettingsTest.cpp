#include <gtest/gtest.h>
#include <core/BlackBoard.h>
#include <filesystem>
#include <yake/Configuration.h>
#include <yake/Math.h>

#include "shell/CAppZRKModule.h"
#include "support/TestEnv.h"

using namespace kavri3D;

namespace {

// A blackboard whose app and run paths point into a temporary folder.
struct SettingsFixture : ::testing::Test {
    zrktest::TempDir dir;
    core::BlackBoard board;
    zrk::CAppZRKModule module;

    SettingsFixture()
    {
        board.setString("kavri3D/appPath", dir.path() + "/");
        board.setString("kavri3D/runPath", dir.path() + "/");
    }
    ~SettingsFixture() override { yake::math::Math::setRandomSource(nullptr); }
    std::string userFile() const { return dir.file("ZRK_Main.xml"); }
};

} // namespace

TEST_F(SettingsFixture, UserFileWithHostWinsExceptNetAndMsgWhichKeepTheBoardValues)
{
    board.setString("kavri3D/app/net/Host", "board-host");
    board.setString("kavri3D/app/msg/host", "board-chat");
    board.setString("kavri3D/app/boardOnly", "x");
    board.setString("kavri3D/app/audio/volume", "10 10 10");
    zrktest::writeFile(userFile(), "<kavri3D><app><net><Host>user-host</Host></net><msg><host>user-chat</host></msg>"
                                   "<audio><volume>80 50 -30</volume></audio></app></kavri3D>");
    module.loadConfig();
    EXPECT_EQ(board.getString("kavri3D/app/net/Host"), "board-host");
    EXPECT_EQ(board.getString("kavri3D/app/msg/host"), "board-chat");
    EXPECT_EQ(board.getString("kavri3D/app/audio/volume"), "80 50 -30");
    EXPECT_EQ(board.getString("kavri3D/app/boardOnly", "missing"), "");
    EXPECT_EQ(module.getUserSettingsPath(), userFile());
}

TEST_F(SettingsFixture, UserFileWithoutHostIsIgnoredAtStartButOverwrittenAtExit)
{
    board.setString("kavri3D/app/audio/volume", "10 20 30");
    zrktest::writeFile(userFile(), "<kavri3D><app><audio><volume>80 50 -30</volume></audio></app></kavri3D>");
    module.loadConfig();
    EXPECT_EQ(board.getString("kavri3D/app/audio/volume"), "10 20 30");
    EXPECT_EQ(board.getString("kavri3D/app/msg/muc"), "conference");
    EXPECT_EQ(board.getString("kavri3D/app/msg/domain"), "127.0.0.1");
    module.Term();
    yake::Configuration written;
    written.readFromXML(userFile(), "");
    EXPECT_EQ(written.get("kavri3D/app/audio/volume", ""), "10 20 30");
    EXPECT_EQ(written.get("kavri3D/app/player/lock", ""), "true");
}

TEST_F(SettingsFixture, BrokenSettingsFilesLeaveTheBoardAsItWasAndExitStillWritesWellFormedXml)
{
    for (const std::string& content :
         {std::string(), std::string("garbage"), std::string("<kavri3D><app><net><Host>h</Ho"),
          std::string("\xff\xfe<x/>"), zrktest::nestedXml(40000)}) {
        core::BlackBoard fresh;
        fresh.setString("kavri3D/appPath", dir.path() + "/");
        fresh.setString("kavri3D/runPath", dir.path() + "/");
        fresh.setString("kavri3D/app/net/Host", "kept");
        fresh.setString("kavri3D/servers", "servers.xml");
        zrktest::writeFile(userFile(), content);
        zrktest::writeFile(dir.file("ZRK_Main_Config.xml"), content);
        zrktest::writeFile(dir.file("ZRK_Main.properties"), content);
        zrktest::writeFile(dir.file("servers.xml"), content);
        zrk::CAppZRKModule m;
        m.loadProperties();
        m.loadConfig();
        EXPECT_EQ(fresh.getString("kavri3D/app/net/Host"), "kept") << content.substr(0, 40);
        m.Term();
        yake::Configuration written;
        EXPECT_NO_THROW(written.readFromXML(userFile(), "")) << content.substr(0, 40);
        EXPECT_EQ(written.get("kavri3D/app/net/Host", ""), "kept");
    }
}

TEST_F(SettingsFixture, ConfigFileMergesOnlyItsConfigBranch)
{
    board.setString("kavri3D/app/config/severity", "6");
    zrktest::writeFile(dir.file("ZRK_Main_Config.xml"),
                       "<kavri3D><app><config><severity>4</severity><gui><fs_mode>1</fs_mode></gui></config>"
                       "<net><Host>sneaky</Host></net></app></kavri3D>");
    module.loadConfig();
    EXPECT_EQ(board.getInt("kavri3D/app/config/severity"), 4);
    EXPECT_EQ(board.getInt("kavri3D/app/config/gui/fs_mode"), 1);
    EXPECT_EQ(board.getString("kavri3D/app/net/Host"), "");
}

TEST_F(SettingsFixture, ServerChoiceIsUniformAndARandomOfOnePicksTheLast)
{
    board.setString("kavri3D/servers", "servers.xml");
    zrktest::writeFile(dir.file("servers.xml"),
                       "<servers><server name='a' host='ha' port='1'/>"
                       "<server name='b' host='hb' port='2'/><server name='c' host='hc'/></servers>");
    yake::math::Math::setRandomSource([] { return 1.0f; });
    module.loadConfig();
    EXPECT_EQ(board.getString("kavri3D/app/net/Host"), "hc");
    yake::math::Math::setRandomSource([] { return 0.4f; });
    module.loadConfig();
    EXPECT_EQ(board.getString("kavri3D/app/net/Host"), "hb");
    EXPECT_EQ(board.getString("kavri3D/app/net/Port"), "2");
}

TEST_F(SettingsFixture, SingleServerAlwaysChosenAndNoServerKeyReadsNoList)
{
    zrktest::writeFile(dir.file("servers.xml"), "<servers><server name='only' host='h1' port='9'/></servers>");
    module.loadConfig();
    EXPECT_EQ(board.getString("kavri3D/app/net/Host", "none"), "none");
    board.setString("kavri3D/servers", "servers.xml");
    yake::math::Math::setRandomSource([] { return 0.99f; });
    module.loadConfig();
    EXPECT_EQ(board.getString("kavri3D/app/net/Host"), "h1");
}

TEST_F(SettingsFixture, FailedWriteAtExitKeepsTheLastRunsSettings)
{
    zrktest::writeFile(userFile(), "<kavri3D><app><audio><volume>1 2 3</volume></audio></app></kavri3D>");
    module.loadConfig();
    board.setString("kavri3D/app/audio/volume", "9 9 9");
    // The temporary file cannot be written.
    std::filesystem::create_directory(yake::temporaryFileFor(userFile()));
    module.Term();
    EXPECT_EQ(zrktest::readFile(userFile()), "<kavri3D><app><audio><volume>1 2 3</volume></audio></app></kavri3D>");
}

TEST_F(SettingsFixture, UnreadableUserFileIsKeptAsBadBesideTheNewOne)
{
    const std::string bad = userFile() + ".bad";
    const std::string deep = "<kavri3D><app>" + zrktest::nestedXml(40000) + "</app></kavri3D>";
    const std::string huge =
        "<kavri3D><app><player><name>" + std::string(2 * 1024 * 1024, 'x') + "</name></player></app></kavri3D>";
    for (const std::string& content : {deep, huge, std::string("<kavri3D><app><net><Host>h</Ho")}) {
        zrktest::writeFile(userFile(), content);
        zrk::CAppZRKModule m;
        m.loadConfig();
        EXPECT_EQ(board.getString("kavri3D/app/msg/muc"), "conference"); // the defaults, no crash
        m.Term();
        EXPECT_EQ(zrktest::readFile(bad), content) << "the last unreadable file is the one kept";
        yake::Configuration written;
        ASSERT_NO_THROW(written.readFromXML(userFile(), ""));
        EXPECT_EQ(written.get("kavri3D/app/player/lock", ""), "true");
    }

    // A missing or a readable file leaves the kept one alone.
    std::filesystem::remove(userFile());
    zrk::CAppZRKModule fresh;
    fresh.loadConfig();
    fresh.Term();
    zrk::CAppZRKModule again;
    again.loadConfig();
    again.Term();
    EXPECT_EQ(zrktest::readFile(bad), "<kavri3D><app><net><Host>h</Ho");
}
