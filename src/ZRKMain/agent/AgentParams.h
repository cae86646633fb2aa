#pragma once
#include <string>
#include <util/XmlConfigHelper.h>

namespace kavri3D {
namespace zrk {

/// Reads a job's or condition's parameter text ("<_evt>12</_evt><room>3</room>") into `out`,
/// keyed from the root. An empty text gives no keys. False, with `out` left empty, when the
/// text is not XML elements; `error` then says why.
bool readAgentParams(const std::string& text, core::XmlConfigHelper& out, std::string& error);

} // namespace zrk
} // namespace kavri3D
