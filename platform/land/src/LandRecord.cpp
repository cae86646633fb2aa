#include "land/LandRecord.h"

#include <cmath>
#include <cstdlib>
#include <yake/Logger.h>

namespace kavri3D {
namespace zrk {

namespace {
using yake::logging::Severity;
const yake::logging::Channel logLine("land");
const Json::Value& nullValue()
{
    static const Json::Value theNull;
    return theNull;
}
const Json::Value& emptyArray()
{
    static const Json::Value theArray(Json::arrayValue);
    return theArray;
}
} // namespace

void LandRecord::warn(const std::string& text) { logLine(Severity::Warning, text); }

bool LandRecord::toReal(const Json::Value& v, double& out)
{
    if (v.isNumeric()) {
        out = v.asDouble();
    } else if (v.isString()) {
        const std::string s = v.asString();
        if (s.empty() || s.size() > 64)
            return false;
        char* end = nullptr;
        out = std::strtod(s.c_str(), &end);
        if (!end || *end != '\0')
            return false;
    } else {
        return false;
    }
    return std::isfinite(out);
}

bool LandRecord::has(const std::string& key) const { return mValue->isObject() && mValue->isMember(key); }

LandRecord LandRecord::child(const std::string& key) const
{
    if (has(key) && (*mValue)[key].isObject())
        return LandRecord((*mValue)[key], mContext + "/" + key);
    if (has(key))
        warn(mContext + "/" + key + " is not a record; its defaults are used");
    return LandRecord(nullValue(), mContext + "/" + key);
}

const Json::Value& LandRecord::array(const std::string& key) const
{
    if (has(key) && (*mValue)[key].isArray())
        return (*mValue)[key];
    if (has(key))
        warn(mContext + "/" + key + " is not a list; it is ignored");
    return emptyArray();
}

float LandRecord::getReal(const std::string& key, float def, float low, float high) const
{
    if (!has(key))
        return def;
    double v = 0;
    if (!toReal((*mValue)[key], v) || v < low || v > high) {
        warn(mContext + "/" + key + " is not a number from " + std::to_string(low) + " to " + std::to_string(high) +
             "; " + std::to_string(def) + " is used");
        return def;
    }
    return static_cast<float>(v);
}

int LandRecord::getInt(const std::string& key, int def, int low, int high) const
{
    if (!has(key))
        return def;
    double v = 0;
    if (!toReal((*mValue)[key], v) || v < low || v > high) {
        warn(mContext + "/" + key + " is not a whole number from " + std::to_string(low) + " to " +
             std::to_string(high) + "; " + std::to_string(def) + " is used");
        return def;
    }
    return static_cast<int>(v);
}

std::string LandRecord::getString(const std::string& key, const std::string& def) const
{
    if (!has(key))
        return def;
    const Json::Value& v = (*mValue)[key];
    if (v.isString())
        return v.asString();
    if (v.isNumeric() || v.isBool())
        return v.asString();
    warn(mContext + "/" + key + " is not a text; \"" + def + "\" is used");
    return def;
}

bool LandRecord::getBool(const std::string& key, bool def) const
{
    if (!has(key))
        return def;
    const Json::Value& v = (*mValue)[key];
    if (v.isBool())
        return v.asBool();
    if (v.isIntegral())
        return v.asLargestInt() != 0;
    if (v.isString() && (v.asString() == "true" || v.asString() == "1"))
        return true;
    if (v.isString() && (v.asString() == "false" || v.asString() == "0"))
        return false;
    warn(mContext + "/" + key + " is not true or false; " + (def ? "true" : "false") + " is used");
    return def;
}

core::XmlConfigHelper LandRecord::toView() const
{
    core::XmlConfigHelper view;
    if (!mValue->isObject())
        return view;
    for (const std::string& name : mValue->getMemberNames()) {
        const Json::Value& v = (*mValue)[name];
        // Keys become paths: a name with a slash or none at all cannot be one.
        if (name.empty() || name.find('/') != std::string::npos)
            continue;
        if (v.isString() || v.isNumeric() || v.isBool())
            view.setStringVal(name, v.asString());
    }
    return view;
}

} // namespace zrk
} // namespace kavri3D
