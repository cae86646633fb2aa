#pragma once
#include <string>

class TiXmlElement;

namespace kavri3D {
namespace zrk {

/// Every `what` in the text replaced by `with`, searching on behind each inserted text.
std::string replaceAll(std::string text, const std::string& what, const std::string& with);
/// The five XML entities made plain, "&amp;" last (so "&amp;lt;" gives "&lt;").
std::string unescapeXmlEntities(const std::string& text);
/// The element's text ("" when it has none), with `decode` also unescaped.
std::string getElementText(const TiXmlElement* element, bool decode);

} // namespace zrk
} // namespace kavri3D
