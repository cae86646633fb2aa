#include "data/ZRKBots.h"

#include <yake/Logger.h>
#include "data/ZRKDatabase.h"
#include "data/ZRKLobby.h"
#include "data/ZRKWorld.h"
#include "data/ZRKWorldSeed.h"

namespace kavri3D {
namespace zrk {

namespace {

void logLine(unsigned severity, const std::string& text) { yake::logging::logger::instance().log(severity, "ZRKBots", text); }

/// A small generator of our own, so the same seed gives the same players on every machine.
std::uint64_t splitmix(std::uint64_t& state)
{
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

const int kMaxBots = 10000;
const double kStartSpread = 5.0; // seconds over which the players' first doings are spread

/// Comes online into its hall, stays a while, goes, comes back.
double online(ZRKBots& bots, ZRKBots::Bot& bot, const Json::Value& settings, double)
{
    ZRKLobby& lobby = bots.lobby();
    bot.online = !bot.online;
    lobby.setOnline(bot.name, bot.online, false);
    if (!bot.online)
        return ZRKBots::between(bot, settings["away"], 60, 600);
    if (!bot.hall.empty())
        lobby.enter(bot.name, bot.hall, std::string());
    return ZRKBots::between(bot, settings["stay"], 600, 3600);
}

/// Says one of its lines in its hall now and then.
double chat(ZRKBots& bots, ZRKBots::Bot& bot, const Json::Value& settings, double)
{
    const Json::Value& lines = settings["lines"];
    if (bot.online && !bot.hall.empty() && lines.isArray() && lines.size() > 0) {
        const Json::Value& line = lines[static_cast<Json::ArrayIndex>(ZRKBots::draw(bot) % lines.size())];
        if (line.isString())
            bots.lobby().say(bot.name, bot.hall, line.asString());
    }
    return ZRKBots::between(bot, settings["every"], 40, 180);
}

} // namespace

ZRKBots::ZRKBots(ZRKWorld& world, ZRKLobby& lobby) : mWorld(world), mLobby(lobby) { addDefaultBehaviours(); }

void ZRKBots::addDefaultBehaviours()
{
    addBehaviour("online", &online);
    addBehaviour("chat", &chat);
}

void ZRKBots::addBehaviour(const std::string& name, const Behaviour& behaviour)
{
    for (auto& b : mBehaviours)
        if (b.first == name) {
            b.second = behaviour;
            return;
        }
    mBehaviours.emplace_back(name, behaviour);
}

std::uint64_t ZRKBots::draw(Bot& bot) { return splitmix(bot.random); }

double ZRKBots::between(Bot& bot, const Json::Value& pair, double low, double high)
{
    if (pair.isArray() && pair.size() == 2 && pair[0].isNumeric() && pair[1].isNumeric() && pair[0].asDouble() >= 0 &&
        pair[1].asDouble() >= pair[0].asDouble()) {
        low = pair[0].asDouble();
        high = pair[1].asDouble();
    }
    return low + (high - low) * static_cast<double>(draw(bot) % 1000001) / 1000000.0;
}

bool ZRKBots::load(const std::string& file, int count)
{
    mBots.clear();
    std::string why;
    Json::Value settings;
    if (!ZRKWorldSeed::readFixture(file, settings, why) || !settings.isObject()) {
        logLine(3, file + ": " + (why.empty() ? "not an object" : why) + "; the server has no players of its own");
        return false;
    }
    mSettings = settings;
    const Json::Value& seed = settings["seed"];
    mSeed = seed.isUInt64() ? seed.asUInt64() : 1;
    if (count < 0)
        count = settings["count"].isInt() ? settings["count"].asInt() : 0;
    count = std::max(0, std::min(count, kMaxBots));
    std::vector<std::string> names;
    if (settings["names"].isArray())
        for (const Json::Value& n : settings["names"])
            if (n.isString() && !n.asString().empty())
                names.push_back(n.asString());
    if (names.empty())
        names.push_back("Gunner");
    for (int i = 0; i < count; ++i) {
        Bot bot;
        const std::size_t round = static_cast<std::size_t>(i) / names.size();
        bot.name = names[static_cast<std::size_t>(i) % names.size()] + (round ? std::to_string(round + 1) : std::string());
        bot.random = mSeed ^ (0x9E3779B97F4A7C15ull * static_cast<std::uint64_t>(i + 1));
        mBots.push_back(bot);
    }
    return true;
}

void ZRKBots::start(double now)
{
    const std::vector<std::string> halls = mLobby.halls();
    {
        ZRKDatabase::Transaction t(mWorld.db());
        for (std::size_t i = 0; i < mBots.size(); ++i) {
            Bot& bot = mBots[i];
            if (!halls.empty())
                bot.hall = halls[draw(bot) % halls.size()];
            ZRKWorld::Player p;
            p.name = bot.name;
            p.nick = bot.name;
            p.pcId = 900000 + static_cast<long long>(i);
            p.cId = 1 + static_cast<long long>(draw(bot) % 2);
            p.lv = static_cast<long long>(between(bot, static_cast<const Json::Value&>(mSettings)["levels"], 1, 30));
            Json::Value looks;
            looks["def_sex"] = p.cId == 1 ? "boy" : "girl";
            for (const char* part : {"def_hair", "def_face", "def_coat", "def_glove", "def_shoes"})
                looks[part] = static_cast<int>(draw(bot) % 2);
            looks["def_animation"] = "idle";
            if (!mWorld.putBot(p, looks))
                logLine(3, "player " + bot.name + " cannot be written: " + mWorld.db().lastError());
        }
        t.commit();
    }
    for (std::size_t i = 0; i < mBots.size(); ++i)
        for (std::size_t b = 0; b < mBehaviours.size(); ++b)
            if (mSettings.isMember(mBehaviours[b].first))
                plan(now + between(mBots[i], Json::Value(), 0, kStartSpread), i, b);
}

void ZRKBots::plan(double at, std::size_t bot, std::size_t behaviour) { mDue.push(Due{at, bot, behaviour, mPlanned++}); }

void ZRKBots::tick(double now)
{
    while (!mDue.empty() && mDue.top().at <= now) {
        const Due due = mDue.top();
        mDue.pop();
        const auto& behaviour = mBehaviours[due.behaviour];
        double next = -1;
        try {
            next = behaviour.second(*this, mBots[due.bot], static_cast<const Json::Value&>(mSettings)[behaviour.first], due.at);
        } catch (const std::exception& e) {
            logLine(3, behaviour.first + " of " + mBots[due.bot].name + " failed: " + e.what());
        }
        if (next >= 0)
            plan(due.at + std::max(next, 0.001), due.bot, due.behaviour);
    }
}

std::size_t ZRKBots::onlineCount() const
{
    std::size_t n = 0;
    for (const Bot& b : mBots)
        n += b.online ? 1 : 0;
    return n;
}

const ZRKBots::Bot* ZRKBots::find(const std::string& name) const
{
    for (const Bot& b : mBots)
        if (b.name == name)
            return &b;
    return nullptr;
}

} // namespace zrk
} // namespace kavri3D
