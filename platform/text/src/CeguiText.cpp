#include "text/CeguiText.h"

#include <CEGUI/String.h>

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
const char kReplacement[] = "\xEF\xBF\xBD"; // U+FFFD

bool continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

/// The length of the well-formed sequence at `at`, 0 when there is none.
std::size_t sequenceAt(const std::string& s, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char c = byte(at);
    const std::size_t left = s.size() - at;
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF)
        return left >= 2 && continuation(byte(at + 1)) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (left < 3 || !continuation(byte(at + 1)) || !continuation(byte(at + 2)))
            return 0;
        const unsigned char c1 = byte(at + 1);
        if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 >= 0xA0)) // overlong, surrogate
            return 0;
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (left < 4 || !continuation(byte(at + 1)) || !continuation(byte(at + 2)) || !continuation(byte(at + 3)))
            return 0;
        const unsigned char c1 = byte(at + 1);
        if ((c == 0xF0 && c1 < 0x90) || (c == 0xF4 && c1 >= 0x90)) // overlong, past U+10FFFF
            return 0;
        return 4;
    }
    return 0;
}
} // namespace

std::string checkedUtf8(const std::string& utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t n = sequenceAt(utf8, at);
        if (n == 0) {
            out += kReplacement;
            ++at;
            while (at < utf8.size() && continuation(static_cast<unsigned char>(utf8[at])))
                ++at; // one replacement for the stray bytes of one broken character
        } else {
            out.append(utf8, at, n);
            at += n;
        }
    }
    return out;
}

std::string escapeMarkup(const std::string& utf8)
{
    const std::string checked = checkedUtf8(utf8);
    std::string out;
    out.reserve(checked.size() + 8);
    for (char ch : checked) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (ch == '[' || ch == '\\') {
            out += '\\'; // CEGUI takes the character after a backslash as it is
            out += ch;
        } else if (ch == '\t')
            out += ' ';
        else if ((c < 0x20 && ch != '\n') || c == 0x7F)
            out += kReplacement;
        else
            out += ch;
    }
    return out;
}

CEGUI::String toCeguiString(const std::string& utf8)
{
    const std::string checked = checkedUtf8(utf8);
    return CEGUI::String(reinterpret_cast<const CEGUI::utf8*>(checked.data()), checked.size());
}

CEGUI::String outsideText(const std::string& utf8)
{
    const std::string escaped = escapeMarkup(utf8);
    return CEGUI::String(reinterpret_cast<const CEGUI::utf8*>(escaped.data()), escaped.size());
}

std::string fromCeguiString(const CEGUI::String& text)
{
    return std::string(reinterpret_cast<const char*>(text.c_str()));
}

CEGUI::String imageProperty(const std::string& imageset, const std::string& image)
{
    return toCeguiString(imageset + "/" + image);
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
