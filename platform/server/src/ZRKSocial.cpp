#include "server/ZRKSocial.h"

#include <algorithm>
#include <yake/Logger.h>
#include "server/ZRKDatabase.h"
#include "server/ZRKGuilds.h"
#include "server/ZRKRoster.h"
#include "server/ZRKServerCore.h"
#include "server/ZRKWorld.h"

namespace kavri3D {
namespace zrk {

namespace {
using yake::logging::Severity;
const yake::logging::Channel logLine("ZRKSocial");
// At most this many doings wait at once: a flood of invitations must not grow the run.
const std::size_t kMostPending = 1000;
} // namespace

ZRKSocial::ZRKSocial(ZRKServerCore& server) : mServer(server) {}

void ZRKSocial::start(const Json::Value& settings, std::uint64_t seed, double now)
{
    mNow = now;
    mStream.random = seed ^ 0x5DEECE66Dull;
    mPace = settings.isObject() ? settings : Json::Value(Json::objectValue);
    mNextAsk = settings.isObject() && settings.isMember("ask") ? now + ZRKBots::between(mStream, mPace["ask"], 300, 900)
                                                               : -1.0;
}

double ZRKSocial::answerDelay() { return ZRKBots::between(mStream, mPace["answer"], 2, 5); }

void ZRKSocial::askedByPlayer(const std::string& bot, const std::string& player)
{
    if (mDue.size() < kMostPending)
        mDue.push_back(Due{mNow + answerDelay(), Due::Answer, bot, player, 0});
}

void ZRKSocial::invited(const std::string& bot, long long guild)
{
    if (mDue.size() < kMostPending)
        mDue.push_back(Due{mNow + answerDelay(), Due::Join, bot, std::string(), guild});
}

void ZRKSocial::tick(double now)
{
    mNow = now;
    // Done in time order; what a doing plans comes after it.
    std::stable_sort(mDue.begin(), mDue.end(), [](const Due& a, const Due& b) { return a.at < b.at; });
    std::size_t done = 0;
    std::vector<Due> due;
    while (done < mDue.size() && mDue[done].at <= now)
        due.push_back(mDue[done++]);
    mDue.erase(mDue.begin(), mDue.begin() + static_cast<std::ptrdiff_t>(done));
    for (const Due& d : due)
        d.kind == Due::Answer ? answer(d) : join(d);
    if (mNextAsk >= 0 && now >= mNextAsk) {
        askSomeone();
        mNextAsk = now + ZRKBots::between(mStream, mPace["ask"], 300, 900);
    }
}

void ZRKSocial::answer(const Due& due)
{
    ZRKWorld& world = mServer.world();
    // Still wanted as a friend, and not yet one.
    if (ZRKRoster::groupOf(world, due.player, due.bot) != ZRKRoster::Friend ||
        ZRKRoster::groupOf(world, due.bot, due.player) == ZRKRoster::Friend)
        return;
    ZRKDatabase::Transaction t(world.db());
    std::string refusal;
    if (!ZRKRoster::put(world, due.bot, due.player, ZRKRoster::Friend, refusal) || !t.commit())
        return logLine(Severity::Warning, due.bot + " cannot take " + due.player + " as a friend: " + refusal);
    mServer.tellRoster(due.player);
}

void ZRKSocial::join(const Due& due)
{
    ZRKWorld& world = mServer.world();
    ZRKDatabase::Transaction t(world.db());
    std::string refusal;
    if (!ZRKGuilds::join(world, due.guild, due.bot, refusal) || !t.commit())
        return logLine(Severity::Notice,
                       due.bot + " does not join guild " + std::to_string(due.guild) + ": " + refusal);
    logLine(Severity::Trace, due.bot + " joined guild " + std::to_string(due.guild));
}

bool ZRKSocial::askPlayer(const std::string& bot, const std::string& player)
{
    ZRKWorld& world = mServer.world();
    const ZRKWorld::Player* asked = world.player(player);
    if (!mServer.bots().find(bot) || !asked || asked->bot || ZRKRoster::groupOf(world, player, bot) >= 0 ||
        ZRKRoster::groupOf(world, bot, player) >= 0)
        return false;
    ZRKDatabase::Transaction t(world.db());
    std::string refusal;
    if (!ZRKRoster::put(world, bot, player, ZRKRoster::Friend, refusal) ||
        !ZRKRoster::put(world, player, bot, ZRKRoster::Asking, refusal) || !t.commit()) {
        logLine(Severity::Notice, bot + " cannot ask " + player + ": " + refusal);
        return false;
    }
    mServer.tellRoster(player);
    return true;
}

void ZRKSocial::askSomeone()
{
    const std::vector<std::string> players = mServer.loggedIn();
    ZRKBots& bots = mServer.bots();
    if (players.empty() || bots.size() == 0)
        return;
    // The next of ours who is online asks the first player he may.
    for (std::size_t k = 0; k < bots.size(); ++k) {
        const ZRKBots::Bot& bot = bots.at((mNextAsker + k) % bots.size());
        if (!bot.online)
            continue;
        for (const std::string& player : players)
            if (askPlayer(bot.name, player)) {
                mNextAsker = (mNextAsker + k + 1) % bots.size();
                return;
            }
    }
}

} // namespace zrk
} // namespace kavri3D
