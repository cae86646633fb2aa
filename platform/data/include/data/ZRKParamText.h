#pragma once
#include <json/json.h>
#include <string>
#include <util/XmlConfigHelper.h>

namespace kavri3D {
namespace zrk {

/// The parameter texts of requests to the game server: compact JSON (members in name
/// order, one newline at the end) with every double quote removed. The roster,
/// guild-invitation and function-item requests keep their quotes.
class ZRKParamText {
public:
    static std::string make(const Json::Value& value);
    static std::string makeQuoted(const Json::Value& value);

    /// The arguments of a request operation as one parameter text: a JSON array of them.
    template <class... Args> static std::string pack(const Args&... args) { return make(list(args...)); }
    /// The same arguments as values, each string kept whole.
    template <class... Args> static Json::Value list(const Args&... args)
    {
        Json::Value out(Json::arrayValue);
        (out.append(toJson(args)), ...);
        return out;
    }

    static Json::Value toJson(const Json::Value& v) { return v; }
    static Json::Value toJson(const std::string& v) { return Json::Value(v); }
    static Json::Value toJson(const char* v) { return Json::Value(v ? v : ""); }
    static Json::Value toJson(bool v) { return Json::Value(v); }
    static Json::Value toJson(int v) { return Json::Value(v); }
    static Json::Value toJson(long v) { return Json::Value(static_cast<Json::Int64>(v)); }
    static Json::Value toJson(double v) { return Json::Value(v); }
    static Json::Value toJson(const core::XmlConfigHelper& v);
};

} // namespace zrk
} // namespace kavri3D
