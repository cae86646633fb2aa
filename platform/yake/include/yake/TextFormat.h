#pragma once
#include <string>
#include <vector>

namespace yake {

/// Fills a text's placeholders ("%1%", "%s", "%|2$5|" ...) with arguments: the one way the
/// game formats a text, since a text comes from a file a translator edits. A pattern that is
/// not well-formed, or would make an absurdly long text, gives the pattern back unchanged;
/// only a count of arguments that does not match the placeholders is tolerated (extra ones
/// are dropped, missing ones left empty).
class TextFormat {
public:
    static std::string format(const std::string& pattern, const std::vector<std::string>& args);
    /// False when a placeholder carries a number (argument, width, precision) of more than
    /// four digits, or the placeholders' numbers together pass 9999: Boost.Format overflows
    /// on the long ones and pads to the size of the large ones.
    static bool numbersFit(const std::string& pattern);
    /// False when a placeholder's flags ask for zeros, left and inner alignment at once
    /// ("%0_-x"): Boost.Format asserts on that mix instead of reporting it.
    static bool flagsAgree(const std::string& pattern);
};

} // namespace yake
