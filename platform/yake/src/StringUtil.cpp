#include "yake/StringUtil.h"

#include <cstdint>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <climits>

namespace yake {

StringVector MakeStringVector(std::initializer_list<const char*> items)
{
    StringVector v;
    for (const char* item : items)
        v.emplace_back(item);
    return v;
}

StringVector StringUtil::split(const std::string& text, const std::string& delims)
{
    StringVector out;
    std::string::size_type start = text.find_first_not_of(delims);
    while (start != std::string::npos) {
        std::string::size_type end = text.find_first_of(delims, start);
        out.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        start = end == std::string::npos ? end : text.find_first_not_of(delims, end);
    }
    return out;
}

std::string StringUtil::toLowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool StringUtil::startsWith(const std::string& text, const std::string& prefix, bool lowerCase)
{
    if (prefix.size() > text.size())
        return false;
    if (!lowerCase)
        return text.compare(0, prefix.size(), prefix) == 0;
    return toLowerCase(text.substr(0, prefix.size())) == toLowerCase(prefix);
}

bool StringUtil::endsWith(const std::string& text, const std::string& suffix, bool lowerCase)
{
    if (suffix.size() > text.size())
        return false;
    std::string tail = text.substr(text.size() - suffix.size());
    return lowerCase ? toLowerCase(tail) == toLowerCase(suffix) : tail == suffix;
}

std::string StringUtil::trim(const std::string& text)
{
    const char* blanks = " \t\r\n";
    std::string::size_type b = text.find_first_not_of(blanks);
    if (b == std::string::npos)
        return std::string();
    std::string::size_type e = text.find_last_not_of(blanks);
    return text.substr(b, e - b + 1);
}

bool StringUtil::parseBool(const std::string& text)
{
    std::string t = toLowerCase(trim(text));
    return t == "true" || t == "yes" || t == "1";
}

int StringUtil::parseInt(const std::string& text)
{
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || errno == ERANGE || v > INT_MAX || v < INT_MIN)
        return 0;
    return static_cast<int>(v);
}

float StringUtil::parseReal(const std::string& text)
{
    char* end = nullptr;
    float v = std::strtof(text.c_str(), &end);
    return end == text.c_str() ? 0.0f : v;
}

std::string StringUtil::replaceAll(std::string text, const std::string& what, const std::string& with)
{
    if (what.empty())
        return text;
    std::string::size_type pos = 0;
    while ((pos = text.find(what, pos)) != std::string::npos) {
        text.replace(pos, what.size(), with);
        pos += with.size();
    }
    return text;
}

std::size_t StringUtil::utf8Length(const std::string& text, std::size_t at)
{
    if (at >= text.size())
        return 0;
    const unsigned char c = static_cast<unsigned char>(text[at]);
    const std::size_t extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : 4;
    if (extra > 3 || text.size() - at <= extra)
        return 0; // no first byte of a character, or one cut short by the text's end
    std::uint32_t code = extra == 0 ? c : extra == 1 ? (c & 0x1Fu) : extra == 2 ? (c & 0x0Fu) : (c & 0x07u);
    for (std::size_t k = 1; k <= extra; ++k) {
        const unsigned char next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3Fu);
    }
    const std::uint32_t least = extra == 1 ? 0x80 : extra == 2 ? 0x800 : extra == 3 ? 0x10000 : 0;
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return extra + 1;
}

} // namespace yake
