// Letters beyond ASCII in the real game window, typed with X events as a keyboard that has them
// sends them (capitals with Shift), under a UTF-8 locale and under C: a chat line in the hall
// reaches the server whole and comes back into the chat, a server player's line in the same
// letters shows there, and a new character gets a name in them.
#include <CEGUI/CEGUI.h>
#include <clocale>
#include <core/GraphicsSystem.h>
#include <server/ZRKGameServer.h>
#include <data/ZRKRequestBroker.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKSession.h>
#include <server/ZRKWorld.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <json/json.h>
#include <regex>
#include <util/JsonText.h>
#include <yake/Time.h>

#include "support/GamePages.h"
#include "support/GameRun.h"
#include "support/TestEnv.h"
#include "support/XvfbServer.h"
#include "support/GameOnScreen.h" // last: X11's macros

namespace fs = std::filesystem;
using zrktest::clickOn;
using zrktest::shownPage;

namespace {

const char* const kLine = "Grüße ÄÖÜ ß € Ωμέγα Привет";
const char32_t* const kLineTyped = U"Grüße ÄÖÜ ß € Ωμέγα Привет";
const char* const kName = "GrüßeÄÖÜßΩ";
const char32_t* const kNameTyped = U"GrüßeÄÖÜßΩ";

/// The build's installation behind links, with a server whose own players say only `line` in
/// the halls, and often.
struct ChattyInstallation {
    zrktest::TempDir dir;
    std::string program = dir.file("game") + "/";

    explicit ChattyInstallation(const std::string& line)
    {
        const std::string bin = zrktest::binFolder() + "/";
        fs::create_directories(program + "res/server");
        for (const auto& entry : fs::directory_iterator(bin))
            if (entry.path().filename() != "res")
                fs::create_symlink(entry.path(), program + entry.path().filename().string());
        for (const auto& entry : fs::directory_iterator(bin + "res"))
            if (entry.path().filename() != "server")
                fs::create_symlink(entry.path(), program + "res/" + entry.path().filename().string());
        for (const auto& entry : fs::directory_iterator(bin + "res/server"))
            if (entry.path().filename() != "bots.json" && entry.path().filename() != "lobby.json")
                fs::create_symlink(entry.path(), program + "res/server/" + entry.path().filename().string());
        const std::string said = "\"lines\": [\"" + line + "\"]";
        std::string bots = zrktest::readFile(bin + "res/server/bots.json");
        bots = std::regex_replace(bots, std::regex("\"every\": \\[[0-9]+, [0-9]+\\],(\\s*)\"lines\""),
                                  "\"every\": [2, 5],$1\"lines\"");
        std::ofstream(program + "res/server/bots.json")
            << std::regex_replace(bots, std::regex("\"lines\": \\[[^\\]]*\\]"), said);
        const std::string lobby = zrktest::readFile(bin + "res/server/lobby.json");
        std::ofstream(program + "res/server/lobby.json")
            << std::regex_replace(lobby, std::regex("\"lines\": \\[[^\\]]*\\]"), said);
    }
};

std::string lastSaid()
{
    std::string text;
    if (kavri3D::zrk::ZRKSession* s = kavri3D::zrk::ZRKSession::getSingletonPtr())
        for (const kavri3D::zrk::ZRKRequestInfo& info : s->getBroker().history())
            if (info.op == "sendRoomMessage" && info.args.isArray() && info.args.size() > 1 && info.args[1].isString())
                text = info.args[1].asString();
    // The chat line goes as a small document; what the player said is its content.
    Json::Value line;
    std::string error;
    if (!kavri3D::core::JsonText::parse(text, line, error) || !line.isObject() || !line["Content"].isString())
        return text;
    return line["Content"].asString();
}

/// Whether the font draws every letter of the text.
bool drawable(const CEGUI::Font* font, const std::string& utf8)
{
    const CEGUI::String text(reinterpret_cast<const CEGUI::utf8*>(utf8.c_str()));
    for (std::size_t i = 0; i < text.length(); ++i)
        if (!font || !font->isCodepointAvailable(text[i]))
            return false;
    return true;
}

struct TypedLetters : zrktest::GameOnScreen, ::testing::WithParamInterface<const char*> {
    // The keyboard map is the X server's own and the typing remaps spare keys: on a server of
    // its own no other test's keys or windows come between.
    zrktest::XvfbServer server{1280, 1024};
    zrktest::ScopedEnv display{"DISPLAY", server.display()};
    std::string oldLocale = std::setlocale(LC_CTYPE, nullptr);

    // The locale the game meets, set the way its entry sets it.
    void SetUp() override
    {
        ASSERT_FALSE(server.display().empty());
        zrktest::GameOnScreen::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_NE(std::setlocale(LC_CTYPE, GetParam()), nullptr) << GetParam();
    }
    void TearDown() override { std::setlocale(LC_CTYPE, oldLocale.c_str()); }
};

using zrktest::ManualClock;

} // namespace

TEST_P(TypedLetters, AChatLineInAnyLettersReachesTheServerAndTheChatShowsTheirsToo)
{
    ChattyInstallation install(kLine);
    ManualClock clock;
    std::string said, mine, theirs;
    bool fontHasThem = false;
    const bool ok = play(
        zrktest::loggedInRun("hero"),
        [&](zrktest::GameRun& game) {
            CEGUI::Window* hall = zrktest::enterFirstZoneByMouse(game, input);
            ASSERT_NE(hall, nullptr);
            auto* chat = static_cast<CEGUI::Listbox*>(hall->getChild("Chat"));
            clickOn(input, hall->getChild("ChatInput"));
            input.typeText(kLineTyped);
            input.key(XK_Return);
            game.framesUntil(
                [&] {
                    yake::native::advanceTime(0.5);
                    for (const std::string& line : zrktest::listLines(chat)) {
                        if (line.find("Hero: ") == 0)
                            mine = line;
                        else if (line.find(kLine) != std::string::npos)
                            theirs = line;
                    }
                    return !mine.empty() && !theirs.empty();
                },
                600);
            said = lastSaid();
            fontHasThem = drawable(chat->getFont(), kLine);
        },
        install.program);
    EXPECT_TRUE(ok);
    EXPECT_EQ(said, kLine);
    EXPECT_EQ(mine, std::string("Hero: ") + kLine);
    EXPECT_NE(theirs, "");
    EXPECT_TRUE(fontHasThem);
}

TEST_P(TypedLetters, ANewCharacterIsNamedInAnyLetters)
{
    kavri3D::zrk::ZRKWorld::Player made;
    bool found = false;
    const bool ok = play(zrktest::loggedInRun("nochar"), [&](zrktest::GameRun& game) {
        ASSERT_TRUE(game.framesUntil([] { return shownPage("CreateCharPage") != nullptr; }, 600));
        CEGUI::Window* page = shownPage("CreateCharPage");
        game.frames(3);
        clickOn(input, page->getChild("Name"));
        input.typeText(kNameTyped);
        game.frames(2);
        EXPECT_EQ(std::string(page->getChild("Name")->getText().c_str()), kName);
        clickOn(input, page->getChild("Create"));
        game.framesUntil(
            [&] { return session->getGameServer()->core().world().loadPlayer("nochar", made) && made.pcId; }, 300);
        found = made.pcId != 0;
    });
    EXPECT_TRUE(ok);
    ASSERT_TRUE(found);
    EXPECT_EQ(made.nick, kName);
}

INSTANTIATE_TEST_SUITE_P(Locales, TypedLetters, ::testing::Values("C.UTF-8", "C"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param) == "C" ? std::string("C") : std::string("Utf8");
                         });
