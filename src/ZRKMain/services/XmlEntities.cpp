#include "services/XmlEntities.h"

#include <tinyxml.h>
#include <utility>
#include <yake/StringUtil.h>

namespace kavri3D {
namespace zrk {

std::string replaceAll(std::string text, const std::string& what, const std::string& with)
{
    return yake::StringUtil::replaceAll(std::move(text), what, with);
}

std::string unescapeXmlEntities(const std::string& text)
{
    std::string out = replaceAll(text, "&quot;", "\"");
    out = replaceAll(out, "&apos;", "'");
    out = replaceAll(out, "&lt;", "<");
    out = replaceAll(out, "&gt;", ">");
    return replaceAll(out, "&amp;", "&");
}

std::string getElementText(const TiXmlElement* element, bool decode)
{
    const char* text = element ? element->GetText() : nullptr;
    if (!text)
        return std::string();
    return decode ? unescapeXmlEntities(text) : std::string(text);
}

} // namespace zrk
} // namespace kavri3D
