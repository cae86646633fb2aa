// The battle simulation's cost and soundness, headless: the frame cost of an 8-doll bot
// battle with 8 shells in the air (simulation and scene nodes) as a share of a 60 Hz frame,
// beside an idle battle in the same run; then bot battles seeded 1..N, each of which must
// end by a side's defeat, with shots fired, every doll in the world and its health in
// bounds; then forty seeds played at 30 and at 144 frames a second, which must end in one
// state. All on "Far Shores", where the sides start out of reach and bots walk. Exits
// non-zero when the frame share is over its target or a battle fails.
//   zrk_bench_land [--frames N] [--battles N]
#include <boost/make_shared.hpp>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <core/EventManager.h>
#include <core/GraphicsSystem.h>
#include <land/LandBotRoom.h>
#include <landscene/LandScene.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include <scene/GrafixScene.h>
#include <yake/Logger.h>

using namespace kavri3D;
using namespace kavri3D::zrk;
using yake::math::Vector3;

namespace {

constexpr float kFrame = 1.0f / 60.0f;
constexpr double kBudgetMs = 1000.0 / 60.0;
constexpr double kMaxShare = 2.0;
const char* const kPlace = "3";
// Bots good enough that a battle of eight is decided well within its ten minutes.
constexpr int kSkill = 75;

double now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

struct Battle {
    boost::shared_ptr<LandBotRoom> room;
    std::unique_ptr<ZRKLand> land;
    std::unique_ptr<LandScene> view;
};

// A battle of 8 dolls on the walking map that has begun; bots play it unless `idle`.
Battle startBattle(std::uint64_t seed, bool idle, const Json::Value& maps, core::GrafixScene* scene)
{
    Battle b;
    b.room = boost::make_shared<LandBotRoom>(LandBotRoom::battle(seed, 8, kPlace, !idle, kSkill));
    b.room->setMaps(maps);
    if (idle)
        for (int seat = 0; seat < 8; ++seat) {
            LandBotRoom::Player p;
            p.bot = false;
            p.weapons = {"1"};
            b.room->seat(seat, seat == 4 ? "me" : "idle" + std::to_string(seat), p);
        }
    b.land.reset(new ZRKLand(nullptr));
    b.land->useRoom(b.room);
    if (!b.land->create())
        return Battle();
    if (scene)
        b.view.reset(new LandScene(*b.land, *scene, true));
    for (int i = 0; i < 100 && b.land->getLoadState() != LOAD_READY; ++i)
        b.land->update(kFrame);
    b.land->beginSimulator();
    return b;
}

// Eight shells in the air: new ones rise from the edges of the field when some have landed.
void keepShellsFlying(ZRKLand& land, core::RandomNumber& random)
{
    const float half = land.getHeightField().getHalfSize() * 0.8f;
    while (land.getShells().size() < 8) {
        const float a = random.uniform() * 6.2831853f;
        const Vector3 from(std::sin(a) * half, 60.0f, std::cos(a) * half);
        const Vector3 v(-std::sin(a) * 30.0f, 40.0f + random.uniform() * 20.0f, -std::cos(a) * 30.0f);
        if (!land.launchShell("", from, v))
            return;
    }
}

double timedFrame(Battle& b)
{
    const double t0 = now();
    b.land->update(kFrame);
    if (b.view)
        b.view->update(kFrame);
    if (core::EventManager* events = core::EventManager::getSingletonPtr())
        events->dispatch();
    return now() - t0;
}

bool sound(const ZRKLand& land)
{
    for (const auto& d : land.getAllDoll()) {
        const ZRKBattleState& b = d.second->getBattle();
        if (!d.second->getPosition().isFinite() || b.hp < 0 || b.hp > b.xhp)
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    long frames = 10000, battles = 1000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--frames"))
            frames = std::max(1L, std::atol(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--battles"))
            battles = std::max(0L, std::atol(argv[i + 1]));
    }
    yake::logging::logger::instance().setEchoToStderr(false);
    core::EventManager events;
    core::GraphicsSystem::WindowSpec spec;
    std::unique_ptr<core::GraphicsSystem> gfx = core::GraphicsSystem::create(true, spec);
    if (!gfx) {
        std::printf("no headless scene\n");
        return 1;
    }
    core::GrafixScene scene(gfx->getSceneManager(), "bench");
    const Json::Value maps = LandBotRoom::readMaps("res/server/maps.json");
    core::RandomNumber random(7);

    // The frames: a busy battle and an idle one, frame about, in the same run.
    double busy = 0.0, idle = 0.0;
    long busyFrames = 0, idleFrames = 0, restarts = 0;
    std::uint64_t seed = 1;
    Battle fight = startBattle(seed, false, maps, &scene);
    Battle calm = startBattle(seed, true, maps, &scene);
    if (!fight.land || !calm.land) {
        std::printf("the battles cannot be built\n");
        return 1;
    }
    bool broken = false;
    for (long f = 0; f < frames; ++f) {
        if (fight.land->isFinished()) {
            fight = Battle(); // its figures leave the scene before the next battle's come
            fight = startBattle(++seed, false, maps, &scene);
            ++restarts;
        }
        keepShellsFlying(*fight.land, random);
        busy += timedFrame(fight);
        ++busyFrames;
        idle += timedFrame(calm);
        ++idleFrames;
        broken = broken || !sound(*fight.land);
    }
    const double busyShare = busy / busyFrames * 1000.0 / kBudgetMs * 100.0;
    const double idleShare = idle / idleFrames * 1000.0 / kBudgetMs * 100.0;
    std::printf("busy frame %.4f ms over %ld frames (%ld new battles), idle frame %.4f ms\n",
                busy / busyFrames * 1000.0, busyFrames, restarts, idle / idleFrames * 1000.0);
    fight = Battle();
    calm = Battle();

    // The battles: each must end, sound.
    long ended = 0;
    const double start = now();
    for (long s = 1; s <= battles; ++s) {
        Battle b = startBattle(static_cast<std::uint64_t>(s), false, maps, nullptr);
        if (!b.land)
            continue;
        bool ok = true;
        for (long n = 0; n < 100000 && b.land->getLoadState() != LOAD_OVER; ++n) {
            b.land->update(0.25f);
            events.dispatch();
            if (n % 64 == 0)
                ok = ok && sound(*b.land);
        }
        ok = ok && sound(*b.land);
        const GameSummary& summary = b.land->getSummary();
        const char* fault = !ok                                    ? "a doll left the world or its health its bounds"
                            : b.land->getLoadState() != LOAD_OVER  ? "did not end"
                            : summary.timeUp || summary.winner < 0 ? "ended by the clock, not by a defeat"
                            : b.land->getBotShots() == 0           ? "ended with no shot fired"
                                                                   : nullptr;
        if (fault)
            std::printf("battle %ld: %s\n", s, fault);
        else
            ++ended;
    }
    std::printf("%ld battles in %.1f s\n", battles, now() - start);

    // One battle whatever the frame rate.
    const int seeds = 40;
    int same = 0;
    for (int s = 1; s <= seeds; ++s) {
        std::uint64_t hashes[2] = {0, 0};
        bool over[2] = {false, false};
        for (int i = 0; i < 2; ++i) {
            const float fps = i == 0 ? 30.0f : 144.0f;
            Battle b = startBattle(static_cast<std::uint64_t>(s), false, maps, nullptr);
            for (long n = 0; b.land && n < 1000000 && b.land->getLoadState() != LOAD_OVER; ++n)
                b.land->update(1.0f / fps);
            events.dispatch();
            over[i] = b.land && b.land->getLoadState() == LOAD_OVER;
            hashes[i] = over[i] ? b.land->stateHash() : 0;
        }
        if (over[0] && over[1] && hashes[0] == hashes[1])
            ++same;
        else
            std::printf("seed %d: another battle at 30 than at 144 frames a second\n", s);
    }
    std::printf("frame share %.2f%% (idle %.2f%%), target under %.2f%%; %ld/%ld battles ended by a defeat; "
                "%d/%d seeds one battle at 30 and 144 frames a second\n",
                busyShare, idleShare, kMaxShare, ended, battles, same, seeds);
    return busyShare < kMaxShare && ended == battles && !broken && same == seeds ? 0 : 1;
}
