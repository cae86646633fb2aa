#pragma once
#include <string>
#include <vector>

namespace kavri3D {
namespace zrk {

/// The battle's result: who won and, per doll, what it did.
struct GameSummary {
    struct Entry {
        std::string uid;
        int team = 0;
        int shots = 0; ///< first counter
        int hits = 0;  ///< second counter
        int damage = 0;
        int kills = 0;
        int deaths = 0;
        int hp = 0;                  ///< health left
        std::string text;            ///< "mvp" for the best of the battle, else empty
        int arena[4] = {0, 0, 0, 0}; ///< arena counters (no arena battles here)
    };

    int winner = -1;         ///< the winning team; -1 a draw
    float seconds = 0.0f;    ///< fight time
    bool timeUp = false;     ///< decided by health at the time limit
    bool othersLeft = false; ///< won because every player of the other side left the battle
    std::vector<Entry> entries;

    const Entry* find(const std::string& uid) const;
};

} // namespace zrk
} // namespace kavri3D
