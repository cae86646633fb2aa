#pragma once
#include <cstdint>
#include <string>

namespace kavri3D {
namespace zrk {

/// How the embedded server starts.
struct ZRKServerConfig {
    /// Seconds a battle waits for every seated player's land to load before the server gives
    /// it up: longer than the loading screen's own count-down (90 s), so a slow machine that
    /// still loads is never cut off.
    static constexpr double kLoadSeconds = 120.0;

    std::string folder = "res/server";        ///< the fixtures the world is seeded from
    std::string database = ":memory:";        ///< the world's file, or in memory
    bool reset = false;                       ///< seed afresh even when the file holds a world
    std::string texts = "res/lan/texts.json"; ///< the texts error replies carry
    int bots = -1;                            ///< players of its own; -1: as bots.json says
    std::uint64_t seed = 0;                   ///< the server's draws (the forge's); 0: from the clock
    double loadSeconds = kLoadSeconds;        ///< how long a starting battle waits for its lands
};

} // namespace zrk
} // namespace kavri3D
