#pragma once
#include <string>

namespace kavri3D {
namespace core {

/// A URI as the launcher hands it over: "scheme://host/path?query#fragment". Any text parses;
/// the parts that are missing are empty.
class Uri {
public:
    explicit Uri(const std::string& text);
    const std::string& getScheme() const { return mScheme; }
    const std::string& getHost() const { return mHost; }
    const std::string& getPath() const { return mPath; }
    /// The text between the first '?' and the '#' (or the end); empty without a '?'.
    const std::string& getQueryString() const { return mQuery; }

private:
    std::string mScheme, mHost, mPath, mQuery;
};

} // namespace core
} // namespace kavri3D
