#include "util/XmlConfigHelper.h"

#include <boost/make_shared.hpp>
#include <cerrno>
#include <cstdlib>
#include <climits>
#include <sstream>
#include <yake/StringUtil.h>

namespace kavri3D {
namespace core {

namespace {

typedef yake::Configuration::Tree Tree;

void mergeTree(Tree& target, const Tree& source)
{
    target.data() = source.data();
    for (const auto& child : source) {
        auto it = target.find(child.first);
        if (it == target.not_found())
            target.push_back(child);
        else
            mergeTree(target.to_iterator(it)->second, child.second);
    }
}

void clearTree(Tree& tree)
{
    tree.data().clear();
    for (auto& child : tree)
        clearTree(child.second);
}

} // namespace

XmlConfigHelper::XmlConfigHelper() : mConfig(boost::make_shared<yake::Configuration>()) {}

XmlConfigHelper::XmlConfigHelper(yake::ConfigurationPtr configuration, const std::string& section)
    : mConfig(configuration ? configuration : boost::make_shared<yake::Configuration>()), mSection(section)
{
    while (!mSection.empty() && mSection.back() == '/')
        mSection.pop_back();
}

std::string XmlConfigHelper::fullKey(const std::string& key) const
{
    if (mSection.empty())
        return key;
    if (key.empty())
        return mSection;
    return mSection + "/" + key;
}

bool XmlConfigHelper::hasKey(const std::string& key) const { return mConfig->has(fullKey(key)); }

std::string XmlConfigHelper::getStringVal(const std::string& key, const std::string& def) const
{
    return mConfig->get(fullKey(key), def);
}

int XmlConfigHelper::getIntVal(const std::string& key, int def) const
{
    if (!hasKey(key))
        return def;
    std::string text = yake::StringUtil::trim(getStringVal(key, ""));
    if (text.empty())
        return def;
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || v > INT_MAX || v < INT_MIN)
        return def;
    return static_cast<int>(v);
}

bool XmlConfigHelper::getBoolVal(const std::string& key, bool def) const
{
    if (!hasKey(key))
        return def;
    std::string t = yake::StringUtil::toLowerCase(yake::StringUtil::trim(getStringVal(key, "")));
    if (t == "true" || t == "1" || t == "yes")
        return true;
    if (t == "false" || t == "0" || t == "no")
        return false;
    return def;
}

float XmlConfigHelper::getRealVal(const std::string& key, float def) const
{
    if (!hasKey(key))
        return def;
    std::string text = yake::StringUtil::trim(getStringVal(key, ""));
    if (text.empty())
        return def;
    char* end = nullptr;
    float v = std::strtof(text.c_str(), &end);
    return *end == '\0' ? v : def;
}

void XmlConfigHelper::setStringVal(const std::string& key, const std::string& value)
{
    mConfig->set(fullKey(key), value);
}

void XmlConfigHelper::setIntVal(const std::string& key, int value) { setStringVal(key, std::to_string(value)); }
void XmlConfigHelper::setBoolVal(const std::string& key, bool value) { setStringVal(key, value ? "true" : "false"); }

void XmlConfigHelper::setRealVal(const std::string& key, float value)
{
    std::ostringstream os;
    os << value;
    setStringVal(key, os.str());
}

void XmlConfigHelper::resetStringVal(const std::string& key, const std::string& value)
{
    if (getStringVal(key, "").empty())
        setStringVal(key, value);
}

void XmlConfigHelper::resetBoolVal(const std::string& key, bool value)
{
    if (getStringVal(key, "").empty())
        setBoolVal(key, value);
}

void XmlConfigHelper::merge(const XmlConfigHelper& source, const std::string& path)
{
    auto branch = source.mConfig->tree().get_child_optional(yake::Configuration::path(path));
    if (!branch)
        return;
    Tree copy = *branch; // the source may be this very configuration
    Tree& target = path.empty()
                       ? mConfig->tree()
                       : mConfig->tree().put_child(yake::Configuration::path(path),
                                                   mConfig->tree().get_child(yake::Configuration::path(path), Tree()));
    mergeTree(target, copy);
}

void XmlConfigHelper::clearValues(const std::string& path)
{
    auto branch = mConfig->tree().get_child_optional(yake::Configuration::path(path));
    if (branch)
        clearTree(*branch);
}

} // namespace core
} // namespace kavri3D
