#pragma once
#include <cstddef>
#include <json/value.h>
#include <string>
#include <yake/FileText.h>

namespace kavri3D {
namespace core {

/// The one way the game reads JSON it is given (data files, texts, server fixtures, messages and
/// replies): size-limited, comments allowed, and refused when nested deeper than the game's
/// documents ever are. Never throws: the reader's own exceptions (nesting past its stack
/// limit) become a refusal.
class JsonText {
public:
    static const int kMaxDepth = 64;
    /// Far above any text the game reads; a caller that knows its texts passes its own bound.
    static const std::size_t kMaxBytes = 8 * 1024 * 1024;

    /// What a text may hold before it is refused.
    struct Limits {
        std::size_t maxBytes = kMaxBytes;
        int maxDepth = kMaxDepth;
        bool rejectDuplicateKeys = false; ///< a key given twice in one object is a refusal
    };

    /// The parsed text in `document`; false, with `document` null and `error` saying why in one
    /// line ("larger than N bytes", "nested deeper than N levels", "not JSON: Line 1, Column 6:
    /// ..."), when the text is over the limits or not JSON.
    static bool parse(const std::string& text, Json::Value& document, std::string& error, const Limits& limits);
    /// `parse` within the default limits.
    static bool parse(const std::string& text, Json::Value& document, std::string& error);
    /// The file, read within `limit` bytes and parsed as `parse` does.
    static bool readFile(const std::string& path, Json::Value& document, std::string& error,
                         std::size_t limit = yake::FileText::kDefaultLimit);
};

} // namespace core
} // namespace kavri3D
