// Memory over many battles in one run: the whole game (in a window under a display, which
// scripts/bench gives it; headless without one), "hero" in a room for two the server's player
// fills, ten battles on a fixed seed, each started by the room page's "Start", fought by keys
// (hero fires on his turns) to its end and closed back into the room. The resident memory is
// read in the room after each battle. The first battle fills the caches (meshes, textures,
// documents), so the second is the base: more than 10 MB above it after the last is a leak.
// ZRK_BENCH_BATTLES=<n> plays n battles instead (at least 3). After each battle a line tells
// the resident memory and what the heap holds (in use, free but kept) and the threads alive.
// Last line: `rss_after_2=<MB> rss_after_last=<MB> growth=<MB> turns=<all battles' turns>`.
// Exits 2 over the limit, 3 when the road broke (a battle that did not end, no return).
#include <CEGUI/CEGUI.h>
#include <core/BlackBoard.h>
#include <core/KeyInput.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <malloc.h>
#include <string>
#include <unistd.h>
#include <vector>
#include <server/ZRKGameServer.h>
#include <server/ZRKLobby.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKSession.h>
#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include <yake/Time.h>

#include "BenchScratch.h"
#include "support/ResidentMemory.h"
#include "battle/BattleRoom.h"
#include "support/GamePages.h"
#include "support/GameRun.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

const int kDefaultBattles = 10;
const double kLimitMb = 10.0;
const unsigned kSeed = 5; // a short 1 v 1

using zrktest::residentMb;

int threadsAlive()
{
    std::error_code ec;
    int n = 0;
    for (std::filesystem::directory_iterator it("/proc/self/task", ec), end; !ec && it != end; it.increment(ec))
        ++n;
    return n;
}

int battlesWanted()
{
    const char* text = std::getenv("ZRK_BENCH_BATTLES");
    if (!text || !*text)
        return kDefaultBattles;
    char* end = nullptr;
    const long n = std::strtol(text, &end, 10);
    if (*end != '\0' || n < 3 || n > 1000) {
        std::fprintf(stderr, "battles: ZRK_BENCH_BATTLES=%s is no number of battles from 3 to 1000; playing %d\n", text,
                     kDefaultBattles);
        return kDefaultBattles;
    }
    return static_cast<int>(n);
}

struct Outcome {
    std::vector<double> rss;
    int turns = 0;
    std::string wrong;
};

void body(zrktest::GameRun& game, int battles, Outcome& out)
{
    auto* session = dynamic_cast<ZRKSession*>(game.session());
    if (!session || !session->getGameServer()) {
        out.wrong = "no embedded server";
        return;
    }
    ZRKServerCore& server = session->getGameServer()->core();
    ZRKLobby& lobby = server.lobby();
    server.setBattleSeed(kSeed);
    CEGUI::Window* hall = zrktest::enterFirstZone(game);
    if (!hall) {
        out.wrong = "no hall";
        return;
    }
    zrktest::pick(hall, "Seats2");
    zrktest::click(hall->getChild("Create"));
    if (!game.framesUntil([&] { return game.stateName() == "zrk_personalroom"; }, 120)) {
        out.wrong = "no room";
        return;
    }
    const std::string name = lobby.gameRoomOf("hero");
    CEGUI::Window* room = zrktest::pageWindow(9);
    auto battle = boost::dynamic_pointer_cast<BattleRoom>(game.stateMachine()->getState("battle"));
    if (name.empty() || !room || !battle) {
        out.wrong = "no room page";
        return;
    }
    for (int b = 0; b < battles; ++b) {
        if (!game.playUntil([&] { return lobby.seated(name).size() == 2 && lobby.startRefusal(name, "hero").empty(); },
                            400, 0.5)) {
            out.wrong = "battle " + std::to_string(b + 1) + ": the room never got ready";
            return;
        }
        game.frames(2);
        zrktest::click(room->getChild("Start"));
        if (!game.playUntil([&] { return battle->getLand() && battle->getLand()->isFighting(); }, 600)) {
            out.wrong = "battle " + std::to_string(b + 1) + " did not start";
            return;
        }
        core::BlackBoard::getSingleton().setInt("kavri3D/win32FPS", 4);
        int held = 0;
        ZRKPlayerSim* last = nullptr;
        const bool ended = game.playUntil(
            [&] {
                ZRKLand* land = battle->getLand();
                if (!land)
                    return game.stateName() != "battle";
                ZRKPlayerSim* me = land->getMyDoll();
                ZRKPlayerSim* acting = land->getActingDoll();
                if (acting && acting != last)
                    ++out.turns;
                last = acting;
                core::KeyInput* keys = core::KeyInput::getSingletonPtr();
                if (keys && me && acting == me) {
                    if (++held == 2)
                        keys->injectKeyDown(core::KeyInput::KC_SPACE);
                    else if (held == 6)
                        keys->injectKeyUp(core::KeyInput::KC_SPACE);
                } else {
                    held = 0;
                }
                return game.stateName() == "zrk_personalroom";
            },
            4000);
        if (!ended || lobby.gameRoomOf("hero") != name) {
            out.wrong = "battle " + std::to_string(b + 1) + " did not come back to the room";
            return;
        }
        game.frames(20);
        out.rss.push_back(residentMb());
        const struct mallinfo2 heap = mallinfo2();
        const double mb = 1024.0 * 1024.0;
        std::printf("battle %d: %.1f MB resident; heap %.1f MB in use, %.1f MB free kept, %.1f MB mapped; %d threads\n",
                    b + 1, out.rss.back(), heap.uordblks / mb, heap.fordblks / mb, heap.hblkhd / mb, threadsAlive());
        std::fflush(stdout);
    }
}

} // namespace

int main()
{
    BenchScratch scratch("zrk_bench_battles");
    if (!scratch.ok()) {
        std::fprintf(stderr, "battles: no scratch folder\n");
        return 1;
    }
    const bool window = std::getenv("DISPLAY") != nullptr;
    std::string command = "game.exe zrk://play?ln=hero&lp=hero123&ls=1 /LowIntegrity=1 /unpaced=1 /mutex=0";
    if (!window)
        command += " /headless=1";
    const int battles = battlesWanted();
    Outcome out;
    yake::native::setManualClock(true); // the server's players and the battles keep the game's time
    const bool ran = zrktest::GameRun::run(command, [&](zrktest::GameRun& game) { body(game, battles, out); });
    yake::native::setManualClock(false);
    if (!ran || !out.wrong.empty() || out.rss.size() < static_cast<std::size_t>(battles)) {
        std::printf("NOT played: %s\n", out.wrong.empty() ? "the game did not run" : out.wrong.c_str());
        return 3;
    }
    const double growth = out.rss.back() - out.rss[1];
    std::printf(
        "%d battles %s; resident memory after the second %.1f MB, after the last %.1f MB (limit +%.0f MB): %s\n",
        battles, window ? "in a window" : "headless", out.rss[1], out.rss.back(), kLimitMb,
        growth <= kLimitMb ? "met" : "NOT met");
    std::printf("rss_after_2=%.1f rss_after_last=%.1f growth=%.1f turns=%d\n", out.rss[1], out.rss.back(), growth,
                out.turns);
    return growth <= kLimitMb ? 0 : 2;
}
