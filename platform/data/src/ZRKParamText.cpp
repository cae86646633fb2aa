#include "data/ZRKParamText.h"

#include <algorithm>
#include "data/ZRKJson.h"

namespace kavri3D {
namespace zrk {

std::string ZRKParamText::makeQuoted(const Json::Value& value)
{
    Json::FastWriter writer;
    return writer.write(value);
}

std::string ZRKParamText::make(const Json::Value& value)
{
    std::string text = makeQuoted(value);
    text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
    return text;
}

Json::Value ZRKParamText::toJson(const core::XmlConfigHelper& v) { return ZRKJson::fromView(v); }

} // namespace zrk
} // namespace kavri3D
