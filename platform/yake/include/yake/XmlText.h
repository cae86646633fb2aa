#pragma once
#include <boost/property_tree/ptree.hpp>
#include <cstddef>
#include <string>
#include <yake/FileText.h>

namespace yake {

/// The one way the game reads XML it is given (settings, properties, server list, manifest,
/// the robot's task parameters): size-limited, and refused when nested deeper than the game's
/// files ever are, since the parser recurses once per level and a file some ten thousand
/// levels deep would run the stack out before a single value is read.
class XmlText {
public:
    typedef boost::property_tree::ptree Tree;

    static const std::size_t kMaxDepth = 64;

    /// Whether a text may go to TinyXML (a document to parse, or an element's names and
    /// values): whole UTF-8, no character cut short or malformed (the parser steps over a
    /// character by its first byte, past the text's end for one cut at the end), and no NUL
    /// inside (the parser stops at the first).
    static bool wholeText(const std::string& text);

    /// How deeply the text's elements nest, counted the way the parser walks them; where the
    /// text stops being XML the count stops too, since the parser stops there.
    static std::size_t depth(const std::string& text);
    /// Parses the text into `tree` (property_tree's XML reader, with its `flags`). Throws
    /// std::runtime_error when the text is not XML or nests deeper than `maxDepth`.
    static void parse(const std::string& text, Tree& tree, int flags = 0, std::size_t maxDepth = kMaxDepth);
    /// Reads the file within `limit` bytes and parses it as `parse` does; throws the same way,
    /// saying which file and why.
    static void readFile(const std::string& path, Tree& tree, int flags = 0,
                         std::size_t limit = FileText::kDefaultLimit);
};

} // namespace yake
