#pragma once
#include <string>
#include <vector>
#include "server/ZRKBots.h"

namespace kavri3D {
namespace zrk {

class ZRKServerCore;

/// What the server's own players do about friends and guilds, on the server's clock: one who
/// was asked to be a friend says yes a few seconds later, one invited into a guild joins a few
/// seconds later, and now and then one asks a logged-in player to be his friend (and waits on
/// that player's roster among the "anous"). Paced by "friends" of bots.json ("answer", "ask":
/// pairs of seconds); what it plans lives for the run.
class ZRKSocial {
public:
    explicit ZRKSocial(ZRKServerCore& server);
    ZRKSocial(const ZRKSocial&) = delete;
    ZRKSocial& operator=(const ZRKSocial&) = delete;

    /// Takes the pace and the first ask's time; without a "friends" section nobody asks.
    void start(const Json::Value& settings, std::uint64_t seed, double now);
    /// Does what is due by `now`.
    void tick(double now);

    /// The player asked one of ours (a bot) to be a friend: he answers a few seconds later.
    void askedByPlayer(const std::string& bot, const std::string& player);
    /// One of ours was invited into the guild: he joins a few seconds later, if there is room.
    void invited(const std::string& bot, long long guild);
    /// One of ours asks the player now (the tests' control); false when he may not (already on
    /// the player's roster, a roster full, no such players).
    bool askPlayer(const std::string& bot, const std::string& player);
    /// Doings planned and not yet done.
    std::size_t pending() const { return mDue.size(); }

private:
    struct Due {
        double at;
        enum Kind { Answer, Join } kind;
        std::string bot;
        std::string player; ///< whom he answers
        long long guild;    ///< which guild he joins
    };
    void answer(const Due& due);
    void join(const Due& due);
    /// Picks a free one of ours and a logged-in player for the next ask.
    void askSomeone();
    double answerDelay();

    ZRKServerCore& mServer;
    Json::Value mPace;
    ZRKBots::Bot mStream; ///< the draws of these doings, apart from the players' own
    std::vector<Due> mDue;
    double mNow = 0.0;
    double mNextAsk = -1.0; ///< below 0: nobody asks
    std::size_t mNextAsker = 0;
};

} // namespace zrk
} // namespace kavri3D
