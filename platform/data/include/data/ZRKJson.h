#pragma once
#include <cstddef>
#include <json/json.h>
#include <string>
#include <util/XmlConfigHelper.h>

namespace kavri3D {
namespace zrk {

/// JSON reading that never throws: fixture files and server replies may be broken or
/// wrong-typed, and the game must go on with defaults.
class ZRKJson {
public:
    /// A fixture holds a whole world of the embedded server, more than the 1 MB of a settings
    /// or data file.
    static const std::size_t kFixtureLimit = 16 * 1024 * 1024;

    /// The parsed file, or null when it is missing, larger than `limit`, not JSON or nested too
    /// deep (JsonText); all but a missing file are logged.
    static Json::Value readFile(const std::string& path, std::size_t limit = kFixtureLimit);
    /// The parsed text, or null when it is not JSON or nested too deep.
    static Json::Value parse(const std::string& text);

    /// The member of an object, or null when `v` is no object or lacks it.
    static const Json::Value& member(const Json::Value& v, const std::string& key);
    static std::string getString(const Json::Value& v, const std::string& key, const std::string& def);
    static int getInt(const Json::Value& v, const std::string& key, int def);
    static bool getBool(const Json::Value& v, const std::string& key, bool def);
    /// The one reader of a whole number from outside: `v` within [low, high], else `def`. A
    /// value that is there but out of range or no whole number is logged once, with `what`.
    static long long number(const Json::Value& v, long long low, long long high, long long def, const char* what);

    /// A settings view of the value: object members become keys, array entries the keys
    /// "0", "1"..., scalars their text. Anything else gives an empty view.
    static core::XmlConfigHelper toView(const Json::Value& v);
    /// Puts the value into the view's own tree in place of what it held, so that copies of the
    /// view (which share the tree) see it too.
    static void refill(core::XmlConfigHelper& view, const Json::Value& v);
    /// The JSON object of a settings tree (every value a string).
    static Json::Value fromView(const core::XmlConfigHelper& view);
};

} // namespace zrk
} // namespace kavri3D
