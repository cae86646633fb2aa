#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace yake {

/// Keeps a file the game could not read beside the fresh one that replaces it, for whoever
/// wants to look: the newest as `path + suffix`, the ones before it as `suffix.1`, `suffix.2`...
/// A copy set aside earlier is never overwritten; past `kKept` copies the oldest goes.
class SetAside {
public:
    static const std::size_t kKept = 5;

    /// Moves `path` (and each `path + companion`, such as a database's "-wal") to the newest
    /// place, shifting the older copies on. True when `path` itself was moved.
    static bool move(const std::string& path, const std::string& suffix,
                     const std::vector<std::string>& companions = {});
    /// The name of the copy `age` runs back (0: the newest).
    static std::string name(const std::string& path, const std::string& suffix, std::size_t age);
};

} // namespace yake
