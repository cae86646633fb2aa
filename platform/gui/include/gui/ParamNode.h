#pragma once
#include <boost/any.hpp>
#include <cstdint>
#include <string>

namespace kavri3D {
namespace zrk {
namespace gui {

/// One named value exchanged between the game's events and the GUI: the value is held by
/// copy (or as a pointer where the type code says so), with a size and a type code.
struct ParamNode {
    enum Type : std::int32_t { Integer = 0, Bool = 3, String = 5, Record = 7 };

    std::string name;
    boost::any value;
    std::int32_t size = 0; // never handed to the GUI unset
    std::int32_t type = 0;

    ParamNode() = default;
    ParamNode(const ParamNode&) = default;
    ParamNode& operator=(const ParamNode&) = default;
    virtual ~ParamNode() = default;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
