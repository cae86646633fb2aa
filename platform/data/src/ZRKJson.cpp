#include "data/ZRKJson.h"

#include <sstream>
#include <util/JsonText.h>
#include <yake/Logger.h>

namespace kavri3D {
namespace zrk {

namespace {
using yake::logging::Severity;
const yake::logging::Channel logLine("ZRKJson");

const Json::Value& nullValue()
{
    static const Json::Value null;
    return null;
}

std::string scalarText(const Json::Value& v)
{
    switch (v.type()) {
    case Json::stringValue:
        return v.asString();
    case Json::booleanValue:
        return v.asBool() ? "true" : "false";
    case Json::intValue:
        return std::to_string(v.asLargestInt());
    case Json::uintValue:
        return std::to_string(v.asLargestUInt());
    case Json::realValue: {
        std::ostringstream os;
        os << v.asDouble();
        return os.str();
    }
    default:
        return std::string();
    }
}

void flatten(const Json::Value& v, const std::string& key, yake::Configuration& config)
{
    if (v.isObject()) {
        for (const std::string& name : v.getMemberNames()) {
            if (name.empty() || name.find('/') != std::string::npos)
                continue; // not addressable as a settings key
            flatten(v[name], key.empty() ? name : key + "/" + name, config);
        }
    } else if (v.isArray()) {
        for (Json::ArrayIndex i = 0; i < v.size(); ++i)
            flatten(v[i], key.empty() ? std::to_string(i) : key + "/" + std::to_string(i), config);
    } else if (!key.empty() && !v.isNull()) {
        config.set(key, scalarText(v));
    }
}

void unflatten(const yake::Configuration::Tree& tree, Json::Value& out)
{
    if (tree.empty()) {
        out = tree.data();
        return;
    }
    for (const auto& child : tree)
        unflatten(child.second, out[child.first]);
}

} // namespace

Json::Value ZRKJson::readFile(const std::string& path, std::size_t limit)
{
    Json::Value value;
    std::string error;
    if (!core::JsonText::readFile(path, value, error, limit) && !yake::FileText::missing(path))
        logLine(Severity::Error, path + " not read: " + error);
    return value;
}

Json::Value ZRKJson::parse(const std::string& text)
{
    Json::Value value;
    std::string error;
    core::JsonText::parse(text, value, error);
    return value;
}

const Json::Value& ZRKJson::member(const Json::Value& v, const std::string& key)
{
    if (!v.isObject() || !v.isMember(key))
        return nullValue();
    return v[key];
}

std::string ZRKJson::getString(const Json::Value& v, const std::string& key, const std::string& def)
{
    const Json::Value& m = member(v, key);
    return m.isString() ? m.asString() : def;
}

int ZRKJson::getInt(const Json::Value& v, const std::string& key, int def)
{
    const Json::Value& m = member(v, key);
    return m.isInt() ? m.asInt() : def;
}

long long ZRKJson::number(const Json::Value& v, long long low, long long high, long long def, const char* what)
{
    if (v.isNull())
        return def;
    if (v.isInt64()) {
        const long long n = v.asInt64();
        if (n >= low && n <= high)
            return n;
    }
    logLine(Severity::Warning, std::string(what ? what : "a number") + " out of range (" + scalarText(v).substr(0, 40) +
                                   "): " + std::to_string(def) + " used");
    return def;
}

bool ZRKJson::getBool(const Json::Value& v, const std::string& key, bool def)
{
    const Json::Value& m = member(v, key);
    return m.isBool() ? m.asBool() : def;
}

core::XmlConfigHelper ZRKJson::toView(const Json::Value& v)
{
    core::XmlConfigHelper view;
    flatten(v, std::string(), *view.getConfiguration());
    return view;
}

void ZRKJson::refill(core::XmlConfigHelper& view, const Json::Value& v)
{
    yake::Configuration& config = *view.getConfiguration();
    config.tree().clear();
    flatten(v, std::string(), config);
}

Json::Value ZRKJson::fromView(const core::XmlConfigHelper& view)
{
    Json::Value out(Json::objectValue);
    const yake::Configuration::Tree& root = view.getConfiguration()->tree();
    const yake::Configuration::Tree* branch = &root;
    if (!view.getSection().empty()) {
        auto found = root.get_child_optional(yake::Configuration::path(view.getSection()));
        if (!found)
            return out;
        branch = &*found;
    }
    for (const auto& child : *branch)
        unflatten(child.second, out[child.first]);
    return out;
}

} // namespace zrk
} // namespace kavri3D
