#pragma once
#include <boost/function.hpp>
#include <cstdint>
#include <json/json.h>
#include <map>
#include <queue>
#include <string>
#include <vector>

namespace kavri3D {
namespace zrk {

class ZRKLobby;
class ZRKWorld;

/// The server's own players. Who they are is drawn from the seed of res/server/bots.json, so
/// every run has the same ones; what they do is a set of behaviours, each paced by its own
/// section of that file and run when due. This behaviours keep them online (coming
/// and going) and chatting in their zone's hall; the lobby, rooms and battle add theirs.
class ZRKBots {
public:
    struct Bot {
        std::string name;
        std::string hall; ///< the zone hall it stays in
        bool online = false;
        std::uint64_t random = 0; ///< its own draw, so one bot's doings never shift another's
    };
    /// One doing of a bot: acts, and gives the seconds until it is due again (below 0: never).
    typedef boost::function<double(ZRKBots& bots, Bot& bot, const Json::Value& settings, double now)> Behaviour;

    ZRKBots(ZRKWorld& world, ZRKLobby& lobby);
    ~ZRKBots();
    ZRKBots(const ZRKBots&) = delete;
    ZRKBots& operator=(const ZRKBots&) = delete;

    /// The level the world gives one of ours (1 when it knows none).
    int levelOf(const std::string& bot);
    /// Whether the room's zone takes one of ours at its level: the level limit holds for the
    /// server's own players as for everyone's.
    bool admits(const std::string& bot, const std::string& room);

    /// Reads the file; `count` above -1 replaces its player count. False, with a log line, when
    /// the file is broken: the server then runs without players of its own.
    bool load(const std::string& file, int count = -1);
    /// A behaviour by the name of its section in the file.
    void addBehaviour(const std::string& name, const Behaviour& behaviour);
    /// Writes the players into the world and starts every behaviour that has a section.
    void start(double now);
    /// Runs every doing that is due by `now`, in time order.
    void tick(double now);

    std::size_t size() const { return mBots.size(); }
    std::size_t onlineCount() const;
    const Bot* find(const std::string& name) const;
    const Bot& at(std::size_t i) const { return mBots[i]; }
    std::uint64_t seed() const { return mSeed; }
    /// The file's section of that name (null when it has none).
    const Json::Value& section(const std::string& name) const
    {
        return static_cast<const Json::Value&>(mSettings)[name];
    }

    /// The bot's next draw, and one between the two figures of a [low, high] pair.
    static std::uint64_t draw(Bot& bot);
    static double between(Bot& bot, const Json::Value& pair, double low, double high);

    ZRKLobby& lobby() { return mLobby; }
    // Control for tests: the room flow at once, without waiting for the players' pace.
    /// Up to `count` of ours who sit in no game room come into the room; how many came.
    int fillRoom(const std::string& room, int count);
    /// Ours in the room get ready; how many.
    int readyAll(const std::string& room);
    /// Ours leave the room; how many.
    int removeAll(const std::string& room);

    /// Whether one more of ours may come into the room by `now` (one every `gap` seconds);
    /// true also books the time.
    bool mayFill(const std::string& room, double now, double gap);

private:
    struct Due {
        double at;
        std::size_t bot;
        std::size_t behaviour;
        std::uint64_t order; ///< ties keep the order they were planned in
        bool operator>(const Due& o) const { return at != o.at ? at > o.at : order > o.order; }
    };
    void plan(double at, std::size_t bot, std::size_t behaviour);
    void addDefaultBehaviours();

    ZRKWorld& mWorld;
    ZRKLobby& mLobby;
    std::uint64_t mSeed = 1;
    Json::Value mSettings;
    std::vector<Bot> mBots;
    std::vector<std::pair<std::string, Behaviour>> mBehaviours;
    std::priority_queue<Due, std::vector<Due>, std::greater<Due>> mDue;
    std::uint64_t mPlanned = 0;
    std::map<std::string, double> mFilledAt; ///< room -> when one of ours last came in
};

} // namespace zrk
} // namespace kavri3D
