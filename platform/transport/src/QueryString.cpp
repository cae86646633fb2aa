#include "transport/QueryString.h"

#include <cctype>

namespace kavri3D {
namespace core {

namespace {
int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}
} // namespace

std::string QueryString::decode(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            int hi = hexValue(text[i + 1]), lo = hexValue(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

QueryString::QueryString(const std::string& query)
{
    std::string::size_type start = 0;
    while (start <= query.size()) {
        std::string::size_type amp = query.find('&', start);
        std::string pair = query.substr(start, amp == std::string::npos ? std::string::npos : amp - start);
        if (!pair.empty()) {
            std::string::size_type eq = pair.find('=');
            std::string name = decode(pair.substr(0, eq));
            std::string value = eq == std::string::npos ? std::string() : decode(pair.substr(eq + 1));
            if (!name.empty())
                mValues.emplace(name, value); // the first value of a name wins
        }
        if (amp == std::string::npos)
            break;
        start = amp + 1;
    }
}

std::string QueryString::get(const std::string& name) const
{
    auto it = mValues.find(name);
    return it == mValues.end() ? std::string() : it->second;
}

} // namespace core
} // namespace kavri3D
