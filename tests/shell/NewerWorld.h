#pragma once
// A world file as a newer version of the game leaves it: seeded, then its schema number raised.
#include <filesystem>
#include <gtest/gtest.h>
#include <server/ZRKWorld.h>
#include <string>

#include "support/TestEnv.h"

namespace zrktest {

/// Makes the world at `path` (its folder too) one of a newer game's schema.
inline void makeNewerWorld(const std::string& path)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    kavri3D::zrk::ZRKWorld made;
    ASSERT_TRUE(made.open(path, binFolder() + "/res/server", false));
    ASSERT_TRUE(made.db().exec("UPDATE meta SET value = '" +
                               std::to_string(kavri3D::zrk::ZRKWorld::kSchemaVersion + 1) + "' WHERE key = 'schema'"));
}

} // namespace zrktest
