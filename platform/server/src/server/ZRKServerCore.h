#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>
#include <core/RandomNumber.h>
#include "server/ZRKBots.h"
#include "server/ZRKArenaPoints.h"
#include "server/ZRKBoxes.h"
#include "server/ZRKForge.h"
#include "server/ZRKLobby.h"
#include "data/ZRKMessage.h"
#include "server/ZRKPrizeBoxes.h"
#include "server/ZRKRevives.h"
#include "server/ZRKServerConfig.h"
#include "server/ZRKServerOps.h"
#include "server/ZRKShop.h"
#include "server/ZRKSocial.h"
#include "server/ZRKWorld.h"

namespace kavri3D {
namespace zrk {

/// The game server proper, whatever carries its messages: the lasting world, what lives for
/// the run (presence, halls, rooms), its own players, and the table of request handlers.
/// Clients are connections; each request is answered into its connection's outbox, after the
/// notices it caused, and notices for a player go to that player's connection.
class ZRKServerCore {
public:
    ZRKServerCore(const ZRKServerConfig& config, double now);
    ~ZRKServerCore();
    ZRKServerCore(const ZRKServerCore&) = delete;
    ZRKServerCore& operator=(const ZRKServerCore&) = delete;

    /// The world is open and seeded; without it every request is refused.
    bool isReady() const { return mWorld.isReady(); }
    /// A broken world file was moved aside and the world seeded afresh at start.
    bool worldWasReset() const { return mWorld.wasMovedAside(); }
    /// Another game plays on the world file: this server serves nothing.
    bool worldInUse() const { return mWorld.isInUse(); }
    bool worldIsNewer() const { return mWorld.isNewer(); }

    long connect();
    /// The connection is gone: its player goes offline.
    void disconnect(long connection);
    void handle(long connection, const ZRKMessage& request);
    /// Lets the server's own players act, and closes the finished battles, up to `now` (seconds).
    void tick(double now);
    /// The time of the last tick (seconds).
    double now() const { return mNow; }
    /// Control: a battle room for the player with `bots` of the server's own players, seated as the
    /// room balances its sides, on the place, started at once (the bots have loaded already). Returns the
    /// room's name; empty (with a log line) when the player is not online or no bot is free. The
    /// room counts as opened in `zone` (in an arena zone its battle gives arena points).
    std::string startBotBattle(const std::string& player, int bots, const std::string& place, unsigned seed,
                               const std::string& zone = std::string());
    /// Control: every battle an owner starts from now on is fought on this seed (0: drawn
    /// from the clock again), so a test or a benchmark replays the same short fights.
    void setBattleSeed(unsigned seed) { mBattleSeed = seed; }
    unsigned battleSeed() const { return mBattleSeed; }
    /// Moves the connection's outbox to `out`, in order.
    void take(long connection, std::vector<ZRKMessage>& out);

    /// The text to show for a message key (texts.json); the key itself when it has none.
    std::string text(const std::string& key) const;

    // The connections' players, for the log-in handlers.
    /// Logs the account in on the connection (out of any earlier one); returns the session id.
    std::string logIn(long connection, const std::string& account, const std::string& player);
    void logOut(long connection);
    /// The connection the player is logged in on; 0 for none.
    long connectionOf(const std::string& player) const;
    const std::string& accountOf(long connection) const;

    /// Sets a player's level and rank; the player, when logged in, hears of it (an avatar
    /// notice, flag 2, with the new "pc" view). False for no such player.
    bool setGrade(const std::string& player, long long lv, long long rank);
    /// Tells the player, when logged in, that his grade changed (an avatar notice, flag 2, with
    /// his "pc" and own settings views as the world holds them).
    void tellGrade(const std::string& player);

    /// Tells the player, when logged in, his friend roster as the world now holds it (a roster
    /// notice): every change of a roster reaches both players it concerns.
    void tellRoster(const std::string& player);
    /// The players logged in, by name.
    std::vector<std::string> loggedIn() const;

    ZRKWorld& world() { return mWorld; }
    /// What the server's own players do about friends and guilds.
    ZRKSocial& social() { return *mSocial; }
    ZRKLobby& lobby() { return *mLobby; }
    ZRKBots& bots() { return *mBots; }
    const ZRKServerOps& ops() const { return mOps; }
    const ZRKServerConfig& config() const { return mConfig; }
    /// The forge's numbers (closed when forge.json could not be read).
    const ZRKForge& forge() const { return mForge; }
    /// The ordinary shop (empty when shop.json could not be read).
    ZRKShop& shop() { return mShop; }
    /// The server's own draws: a seed and the same requests replay the same outcomes.
    core::RandomNumber& random() { return mRandom; }
    /// The numbers of boxes and bag items (closed when boxes.json could not be read).
    const ZRKBoxes& boxes() const { return mBoxes; }
    /// The prize boxes the finished battles offer.
    ZRKPrizeBoxes& prizeBoxes() { return mPrizeBoxes; }
    /// The points an arena battle gives its fighters (none when arena.json could not be read).
    const ZRKArenaPoints& arenaPoints() const { return mArenaPoints; }
    /// The prices of revives bought in a fight, and how many each fighter bought.
    ZRKRevives& revives() { return mRevives; }
    /// Seconds since the epoch, as the calendar goes (what lasts days: a rank card's rank, the
    /// date the shop writes on what it sells); tests move it on, or set a date to start from
    /// (below 0: the system's clock again).
    double wallTime() const;
    void advanceWallTime(double seconds) { mWallOffset += seconds; }
    void setWallTime(long long seconds)
    {
        mWallStart = seconds;
        mWallOffset = 0.0;
    }

private:
    struct Connection {
        std::string account;
        std::string player;
        std::vector<ZRKMessage> outbox;
    };
    void loadTexts();
    void deliver(const std::string& player, const ZRKMessage& notice);
    Json::Value cardOf(const std::string& player);

    ZRKServerConfig mConfig;
    ZRKWorld mWorld;
    ZRKForge mForge;
    ZRKShop mShop;
    ZRKBoxes mBoxes;
    ZRKArenaPoints mArenaPoints;
    ZRKPrizeBoxes mPrizeBoxes;
    ZRKRevives mRevives;
    long long mWallStart = -1;
    double mWallOffset = 0.0;
    double mLastLoanCheck = -1.0e300;
    core::RandomNumber mRandom;
    ZRKServerOps mOps;
    std::unique_ptr<ZRKLobby> mLobby;
    std::unique_ptr<ZRKBots> mBots;
    std::unique_ptr<ZRKSocial> mSocial;
    std::map<std::string, std::string> mTexts;
    std::map<long, Connection> mConnections;
    std::map<std::string, long> mPlayers; ///< player -> connection
    long mNextConnection = 1;
    double mNow = 0.0;
    unsigned mSessions = 0;
    unsigned mBattleSeed = 0;
};

} // namespace zrk
} // namespace kavri3D
