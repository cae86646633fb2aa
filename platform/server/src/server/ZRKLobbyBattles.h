#pragma once
#include <string>
#include "server/ZRKLobby.h"

namespace kavri3D {
namespace zrk {

/// The lobby's battles: the owner's start and its rules, the hand-shake of the lands loading,
/// the end with its closing time, a mission's way from one stage to the next (the rebuild: the
/// room's state 5 for a moment, then the next stage started as any battle), and the room
/// waiting for its next start once nobody plays its battle any more.
class ZRKLobbyBattles {
public:
    /// Seconds the room's state stays 5 before the next stage starts: every client's finished
    /// land sees it and rebuilds.
    static constexpr double kRebuildHoldSeconds = 0.5;

    explicit ZRKLobbyBattles(ZRKLobby& lobby) : mLobby(lobby) {}
    ZRKLobbyBattles(const ZRKLobbyBattles&) = delete;
    ZRKLobbyBattles& operator=(const ZRKLobbyBattles&) = delete;

    bool start(const std::string& room, unsigned seed, int wind);
    bool isFighter(const std::string& room, const std::string& player) const;
    bool reportLoaded(const std::string& room, const std::string& player);
    bool finish(const std::string& room, double closeAt);
    bool finishStage(const std::string& room, double nextAt);
    void closeDue(double now);
    bool backFromBattle(const std::string& room, const std::string& player);
    /// Once no player on a connection fights the room's battle any more, the room waits for the
    /// next start; a private room, whose one battle it was, closes.
    void reopenIfDeserted(ZRKLobby::Room& room);
    std::string startRefusal(const std::string& room, const std::string& by) const;
    std::string begin(const std::string& room, const std::string& by, unsigned seed, int wind);
    bool beginPrivate(const std::string& room, unsigned seed, int wind);

    /// The seed of the stage after one fought on `seed`: another, and the same on every run.
    static unsigned nextStageSeed(unsigned seed, int stage);

private:
    /// A battle starts; a mission's on `stage` (0: the stage the room asked for).
    bool start(const std::string& room, unsigned seed, int wind, int stage);
    /// The room turns to its mission's next stage: its "ds_id" one on, a seed of its own, and
    /// its state 5 (the clients rebuild their battles) until the stage starts.
    void rebuildForNextStage(ZRKLobby::Room& room);
    /// Starts the stage the room turned to.
    void startNextStage(ZRKLobby::Room& room);
    static unsigned seedOf(const ZRKLobby::Room& room);
    void tellState(const ZRKLobby::Room& room);
    /// The battle values, every seated player in battle, the room shut; the server's own
    /// players loaded at once.
    void startShut(const std::string& room, unsigned seed, int wind, int stage = 0);

    ZRKLobby& mLobby;
};

} // namespace zrk
} // namespace kavri3D
