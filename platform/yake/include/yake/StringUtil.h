#pragma once
#include <string>
#include <vector>

namespace yake {

typedef std::vector<std::string> StringVector;

/// Builds a list of strings from the given texts.
StringVector MakeStringVector(std::initializer_list<const char*> items);

class StringUtil {
public:
    /// Splits at any of the delimiter characters; empty pieces are dropped.
    static StringVector split(const std::string& text, const std::string& delims = " \t\n");
    /// With `lowerCase` set, both texts are compared ignoring letter case.
    static bool startsWith(const std::string& text, const std::string& prefix, bool lowerCase = true);
    static bool endsWith(const std::string& text, const std::string& suffix, bool lowerCase = true);
    static std::string toLowerCase(std::string text);
    static std::string trim(const std::string& text);
    /// "true", "yes", "1" (any case) are true; everything else is false.
    static bool parseBool(const std::string& text);
    /// Leading integer of the text (after blanks, with an optional sign); 0 when there is none
    /// or it does not fit.
    static int parseInt(const std::string& text);
    static float parseReal(const std::string& text);
    static std::string replaceAll(std::string text, const std::string& what, const std::string& with);
    /// The bytes of the UTF-8 character at `at`; 0 when none begins there well formed (a stray
    /// continuation byte, one cut short by the text's end, an overlong form, a surrogate, past
    /// U+10FFFF) or `at` is past the end.
    static std::size_t utf8Length(const std::string& text, std::size_t at);
};

} // namespace yake
