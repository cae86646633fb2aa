#pragma once
#include <string>

namespace kavri3D {
namespace core {

/// Seconds since 1970-01-01 00:00:00 UTC of a "YYYY-MM-DD hh:mm:ss" text (UTC); -1 for a text
/// that is not such a date and time.
long parseDateTime(const std::string& text);

} // namespace core
} // namespace kavri3D
