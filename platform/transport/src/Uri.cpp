#include "transport/Uri.h"

namespace kavri3D {
namespace core {

Uri::Uri(const std::string& text)
{
    std::string rest = text;
    std::string::size_type hash = rest.find('#');
    if (hash != std::string::npos)
        rest.erase(hash);
    std::string::size_type q = rest.find('?');
    if (q != std::string::npos) {
        mQuery = rest.substr(q + 1);
        rest.erase(q);
    }
    std::string::size_type sep = rest.find("://");
    if (sep != std::string::npos) {
        mScheme = rest.substr(0, sep);
        rest = rest.substr(sep + 3);
        std::string::size_type slash = rest.find('/');
        mHost = rest.substr(0, slash);
        mPath = slash == std::string::npos ? std::string() : rest.substr(slash);
    } else {
        mPath = rest;
    }
}

} // namespace core
} // namespace kavri3D
