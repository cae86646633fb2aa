#pragma once
#include <string>

namespace kavri3D {
namespace zrk {

/// How the embedded server starts.
struct ZRKServerConfig {
    std::string folder = "res/server";        ///< the fixtures the world is seeded from
    std::string database = ":memory:";        ///< the world's file, or in memory
    bool reset = false;                       ///< seed afresh even when the file holds a world
    std::string texts = "res/lan/texts.json"; ///< the texts error replies carry
    int bots = -1;                            ///< players of its own; -1: as bots.json says
};

} // namespace zrk
} // namespace kavri3D
