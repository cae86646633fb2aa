#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace zrkfuzz {

/// What every fuzz target shares: a folder of its own for the files it hands the game (made
/// once per process, removed at exit), and a quiet log, since a run makes millions of lines.
class FuzzSupport {
public:
    /// The folder, ending in "/".
    static const std::string& folder();
    /// Writes the input as the named file in the folder; returns its path.
    static std::string write(const std::string& name, const std::uint8_t* data, std::size_t size);
    /// The input as text.
    static std::string text(const std::uint8_t* data, std::size_t size);
    /// The text without the blanks and tabs around it, in lower case: a header's name or value
    /// as the most lenient reader takes it.
    static std::string trimmedLower(std::string text);
    /// No log lines on the terminal.
    static void quiet();
    /// A file beside the running program (the GUI plug-in the targets load).
    static std::string besideProgram(const std::string& file);
};

} // namespace zrkfuzz
