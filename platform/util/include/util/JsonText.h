#pragma once
#include <cstddef>
#include <json/value.h>
#include <string>
#include <yake/FileText.h>

namespace kavri3D {
namespace core {

/// The one way the game reads JSON it is given (data files, texts, server fixtures and
/// replies): size-limited, comments allowed, and refused when nested deeper than the game's
/// documents ever are. Never throws: the reader's own exceptions (nesting past its stack
/// limit) become a refusal.
class JsonText {
public:
    static const int kMaxDepth = 64;

    /// The parsed text in `document`; false, with `document` null and `error` saying why, when
    /// the text is not JSON or nests too deep.
    static bool parse(const std::string& text, Json::Value& document, std::string& error);
    /// The file, read within `limit` bytes and parsed as `parse` does.
    static bool readFile(const std::string& path, Json::Value& document, std::string& error,
                         std::size_t limit = yake::FileText::kDefaultLimit);
};

} // namespace core
} // namespace kavri3D
