// A game room in the real game window: "hero" logs in by himself, picks the plains with the
// mouse, opens a room of four with the hall's create form, the server's players fill it and
// get ready; the room page with its eight cards and the seats' portraits goes to the build's
// shots/room.png (scripts/shots copies it into docs/); he opens the props, buys a repair kit
// with a click and sees it on its stack in the strip (shots/props.png) and what it cost in the
// title bar; then his click on "Start" takes everyone into the battle with it.
#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <boost/filesystem.hpp>
#include <core/GraphicsSystem.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKLobby.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKSession.h>
#include <server/ZRKWorld.h>
#include <gtest/gtest.h>
#include <yake/Time.h>

#include "support/GamePages.h"
#include "support/GameRun.h"
#include "support/TestEnv.h"
#include "support/GameOnScreen.h" // last: X11's macros

using zrktest::clickOn;
using zrktest::shownPage;

namespace {

std::string seatLine(CEGUI::Window* room, const char* label)
{
    return room->getChild("Seats")->getChild(label)->getText().c_str();
}

/// Pixels of a face's skin in the window's rectangle on screen: a figure has a head, a lone
/// suit or a blank picture has none.
long skinPixels(Ogre::RenderWindow& window, const CEGUI::Rectf& r)
{
    const unsigned w = window.getWidth(), h = window.getHeight();
    std::vector<unsigned char> rgba(static_cast<std::size_t>(w) * h * 4);
    const Ogre::PixelBox box(w, h, 1, Ogre::PF_BYTE_RGBA, rgba.data());
    window.copyContentsToMemory(box, box);
    long skin = 0;
    for (int y = std::max(0, static_cast<int>(r.top()));
         y < std::min(static_cast<int>(h), static_cast<int>(r.bottom())); ++y)
        for (int x = std::max(0, static_cast<int>(r.left()));
             x < std::min(static_cast<int>(w), static_cast<int>(r.right())); ++x) {
            const unsigned char* p = &rgba[(static_cast<std::size_t>(y) * w + static_cast<std::size_t>(x)) * 4];
            if (p[0] > 170 && p[1] > 120 && p[2] > 80 && p[0] > p[2] + 40 && p[1] > p[2])
                ++skin;
        }
    return skin;
}

} // namespace

using RoomOnScreen = zrktest::GameOnScreen;

TEST_F(RoomOnScreen, HeroOpensARoomWithTheMouseTheBotsFillItAndHeStarts)
{
    yake::native::setManualClock(true); // the server's players keep the game's time, which the test moves on
    std::vector<std::string> lines;
    std::size_t seated = 0;
    bool shot = false, propsShot = false;
    std::string state, offer, strip, empty, wantedCoupons, titleBar;
    long long carried = 0;
    std::vector<std::pair<std::string, long>> portraits;
    const bool ok = play(zrktest::loggedInRun("hero"), [&](zrktest::GameRun& game) {
        CEGUI::Window* hall = zrktest::enterFirstZoneByMouse(game, input);
        ASSERT_NE(hall, nullptr);
        clickOn(input, hall->getChild("Seats4"));
        hall->getChild("NewTitle")->setText("Hero's game");
        clickOn(input, hall->getChild("Create"));
        ASSERT_TRUE(game.framesUntil([] { return shownPage("RoomPage") != nullptr; }, 120)) << game.stateName();
        CEGUI::Window* room = shownPage("RoomPage");
        kavri3D::zrk::ZRKLobby& lobby = session->getGameServer()->core().lobby();
        const std::string name = lobby.gameRoomOf("hero");
        game.framesUntil(
            [&] {
                yake::native::advanceTime(0.5);
                return lobby.seated(name).size() == 4 && lobby.startRefusal(name, "hero").empty() &&
                       seatLine(room, "Label_blue1").find("ready") != std::string::npos;
            },
            600);
        seated = lobby.seated(name).size();
        game.frames(10); // the seats' portraits drawn
        for (const char* label : {"Label_red0", "Label_red1", "Label_red2", "Label_red3", "Label_blue0", "Label_blue1",
                                  "Label_blue2", "Label_blue3"})
            lines.push_back(seatLine(room, label));
        // Each seated player's portrait shows a figure, with a head: never a pale block.
        for (const char* seat : {"red0", "red1", "red2", "red3", "blue0", "blue1", "blue2", "blue3"}) {
            CEGUI::Window* picture = room->getChild("Seats")->getChild(std::string("Picture_") + seat);
            if (picture->isEffectiveVisible())
                portraits.emplace_back(
                    seat, skinPixels(*graphics->getRenderWindow(), picture->getUnclippedOuterRect().get()));
        }
        boost::filesystem::create_directories(ZRK_SHOTS_DIR);
        shot = graphics->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/room.png");
        clickOn(input, room->getChild("Props"));
        CEGUI::Window* props = room->getChild("PropsPanel");
        game.framesUntil([&] { return props->getChild("PropBuy0")->isEffectiveVisible(); }, 120);
        offer = props->getChild("PropBuy0")->getText().c_str();
        clickOn(input, props->getChild("PropBuy0"));
        game.framesUntil(
            [&] { return std::string(props->getChild("PropSlot0")->getText().c_str()) == "51: Repair Kit x4"; }, 120);
        strip = props->getChild("PropSlot0")->getText().c_str();
        empty = props->getChild("PropSlot2")->getText().c_str();
        // The title bar shows the coupons the world holds after the purchase.
        const long long coupons =
            session->getGameServer()->core().world().player("hero")->money[kavri3D::zrk::ZRKWorld::Coupons];
        wantedCoupons = "Coupons " + std::to_string(coupons);
        game.framesUntil([&] { return std::string(room->getText().c_str()).find(wantedCoupons) != std::string::npos; },
                         60);
        titleBar = room->getText().c_str();
        game.frames(3);
        propsShot = graphics->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/props.png");
        clickOn(input, room->getChild("Props"));
        game.frames(10);
        clickOn(input, room->getChild("Start"));
        game.framesUntil([&] { return game.stateName() == "battle"; }, 120);
        state = game.stateName();
        for (const kavri3D::zrk::ZRKWorld::Item& i : session->getGameServer()->core().world().items("hero"))
            if (i.slot == 51)
                carried = i.count;
    });
    yake::native::setManualClock(false);
    EXPECT_TRUE(ok);
    EXPECT_EQ(seated, 4u);
    EXPECT_EQ(portraits.size(), 4u);
    for (const auto& p : portraits)
        EXPECT_GE(p.second, 4) << p.first << ": no figure in the portrait";
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_NE(lines[0].find("owner"), std::string::npos) << lines[0];
    EXPECT_NE(lines[5].find("ready"), std::string::npos) << lines[5];
    EXPECT_EQ(lines[2], "(shut)");
    EXPECT_TRUE(shot);
    EXPECT_EQ(state, "battle");
    EXPECT_EQ(offer, "Buy Repair Kit (2 coupons)");
    EXPECT_EQ(strip, "51: Repair Kit x4");
    EXPECT_EQ(empty, "53: -");
    EXPECT_NE(titleBar.find(wantedCoupons), std::string::npos) << titleBar << "; the world holds " << wantedCoupons;
    EXPECT_NE(wantedCoupons, "Coupons 30"); // two coupons went on the kit
    EXPECT_TRUE(propsShot);
    EXPECT_EQ(carried, 4);
}
