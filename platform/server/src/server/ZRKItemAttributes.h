#pragma once
#include <json/json.h>
#include <string>
#include <vector>

namespace kavri3D {
namespace zrk {

/// The attributes every item template carries, by the names the game's item records are
/// filled from; a template lacking one gets 0 (or an empty text), so a record read by name is
/// never empty.
class ZRKItemAttributes {
public:
    struct Attribute {
        const char* name;
        bool text;
    };
    static const std::vector<Attribute>& all();
    /// The template with every attribute present; values of the wrong type become the
    /// attribute's default. Other members stay as they are.
    static Json::Value complete(const Json::Value& item);
};

} // namespace zrk
} // namespace kavri3D
