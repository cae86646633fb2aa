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
    enum Type : std::int32_t { Integer = 0, Float = 2, Bool = 3, String = 5, Record = 7 };

    std::string name;
    boost::any value;
    std::int32_t size = 0; // never handed to the GUI unset
    std::int32_t type = 0;

    ParamNode() = default;
    ParamNode(const std::string& n, const boost::any& v, std::int32_t s, std::int32_t t)
        : name(n), value(v), size(s), type(t)
    {
    }
    ParamNode(const ParamNode&) = default;
    ParamNode& operator=(const ParamNode&) = default;
    virtual ~ParamNode() = default;

    // The one way both sides build a value: the size and type code follow from the kind.
    static ParamNode integer(const std::string& n, int v)
    {
        return ParamNode(n, v, static_cast<std::int32_t>(sizeof(int)), Integer);
    }
    static ParamNode real(const std::string& n, float v)
    {
        return ParamNode(n, v, static_cast<std::int32_t>(sizeof(float)), Float);
    }
    static ParamNode boolean(const std::string& n, bool v) { return ParamNode(n, v, 1, Bool); }
    static ParamNode text(const std::string& n, const std::string& v)
    {
        return ParamNode(n, v, static_cast<std::int32_t>(v.size()), String);
    }
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
