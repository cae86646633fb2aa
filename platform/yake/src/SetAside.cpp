#include "yake/SetAside.h"

#include <cstdio>

namespace yake {

std::string SetAside::name(const std::string& path, const std::string& suffix, std::size_t age)
{
    return path + suffix + (age == 0 ? std::string() : "." + std::to_string(age));
}

bool SetAside::move(const std::string& path, const std::string& suffix, const std::vector<std::string>& companions)
{
    std::vector<std::string> ends{std::string()};
    ends.insert(ends.end(), companions.begin(), companions.end());
    for (const std::string& end : ends) {
        // Oldest first: each copy moves one place on, the last one out.
        std::remove((name(path, suffix, kKept - 1) + end).c_str());
        for (std::size_t age = kKept - 1; age > 0; --age)
            std::rename((name(path, suffix, age - 1) + end).c_str(), (name(path, suffix, age) + end).c_str());
    }
    bool moved = false;
    for (const std::string& end : ends) {
        const std::string from = path + end, to = name(path, suffix, 0) + end;
        const bool ok = std::rename(from.c_str(), to.c_str()) == 0;
        if (end.empty())
            moved = ok;
        else if (!ok)
            std::remove(from.c_str()); // a companion left behind belongs to no database
    }
    return moved;
}

} // namespace yake
