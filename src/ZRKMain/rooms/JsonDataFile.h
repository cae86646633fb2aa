#pragma once
#include <json/value.h>
#include <string>

namespace kavri3D {
namespace zrk {

/// Reads one of the game's JSON data files whole and parses it (JsonText: at most 1 MB,
/// comments allowed, nesting limited). Failures are logged on the reader's channel as
/// "<file> open failed" (missing, unreadable, too large) or "<file> read failed" (not JSON,
/// nested too deep) and leave the document null.
class JsonDataFile {
public:
    static constexpr long kMaxSize = 1L << 20;
    static constexpr int kMaxDepth = 64;

    static bool load(const std::string& path, Json::Value& document, const char* channel, const std::string& shownName);
};

} // namespace zrk
} // namespace kavri3D
