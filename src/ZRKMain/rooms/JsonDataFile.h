#pragma once
#include <json/value.h>
#include <string>

namespace kavri3D {
namespace zrk {

/// Reads one of the game's JSON data files whole (to its exact size) and parses it,
/// comments allowed. Failures are logged on the reader's channel as "<file> open failed" or
/// "<file> read failed" and leave the document null; a file larger than kMaxSize or nested
/// deeper than kMaxDepth is not read.
class JsonDataFile {
public:
    static constexpr long kMaxSize = 1L << 20;
    static constexpr int kMaxDepth = 64;

    static bool load(const std::string& path, Json::Value& document, const char* channel, const std::string& shownName);
};

} // namespace zrk
} // namespace kavri3D
