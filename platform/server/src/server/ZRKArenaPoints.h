#pragma once
#include <json/json.h>
#include <string>

namespace kavri3D {
namespace zrk {

/// The arena's points (res/server/arena.json): what each fighter of a battle fought in an
/// arena zone earns besides the coins and the experience, by whether his side won. The arena
/// shop takes them. Without a sound file no battle gives any.
class ZRKArenaPoints {
public:
    /// Far beyond any battle's points; a larger number is refused as it stands.
    static constexpr long long kLimit = 100000;

    /// Reads the file (64 kB at most); false, with the reason, when it is missing or unsound.
    bool load(const std::string& path, std::string& why);
    /// Takes the points of a parsed document ({"points": {"won": n, "lost": n}}); false, with
    /// the reason, and none given, when either is missing or not a whole number of 0 to kLimit.
    bool read(const Json::Value& doc, std::string& why);
    /// The points of one fighter; 0 without a sound table.
    long long points(bool won) const { return won ? mWon : mLost; }

private:
    long long mWon = 0;
    long long mLost = 0;
};

} // namespace zrk
} // namespace kavri3D
