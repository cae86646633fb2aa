#pragma once
#include <cstddef>
#include <string>

namespace yake {

/// Reads a whole file the game is given (settings, lists, data, texts) into memory, refusing
/// one larger than its limit: a huge or endless file must not take the memory or the time of
/// the start-up. Files that hold more by nature pass their own limit.
class FileText {
public:
    static const std::size_t kDefaultLimit = 1024 * 1024;

    /// The file's bytes in `text`. False, with `text` empty and `error` saying why ("missing",
    /// "larger than N bytes", "unreadable"), when it cannot be had whole within the limit.
    static bool read(const std::string& path, std::string& text, std::string& error, std::size_t limit = kDefaultLimit);
    /// True when no file (nor anything else) is at the path.
    static bool missing(const std::string& path);
};

} // namespace yake
