#include "lan/ZRKLan.h"

#include <json/json.h>
#include <util/JsonText.h>
#include <yake/Logger.h>

KAVRI_SINGLETON_DEFINE(kavri3D::zrk::ZRKLan);

namespace kavri3D {
namespace zrk {

namespace {
using yake::logging::Severity;
const yake::logging::Channel logLine("ZRKLan");

// A language's whole text table is larger than a settings file.
const std::size_t kTextsLimit = 4 * 1024 * 1024;

/// The file as a JSON object, or null when it is missing, too large, malformed or too deep.
Json::Value readObject(const std::string& path)
{
    Json::Value v;
    std::string error;
    if (!core::JsonText::readFile(path, v, error, kTextsLimit) || !v.isObject()) {
        logLine(Severity::Error, "cannot read " + path + (error.empty() ? "" : ": " + error));
        return Json::Value();
    }
    return v;
}

} // namespace

ZRKLan::ZRKLan(const std::string& folder)
{
    const Json::Value texts = readObject(folder + "/texts.json");
    if (texts.isObject())
        for (const std::string& key : texts.getMemberNames())
            if (texts[key].isString())
                mTexts[key] = texts[key].asString();
    const Json::Value settings = readObject(folder + "/settings.json");
    if (settings.isObject())
        for (const std::string& key : settings.getMemberNames()) {
            // "a//b", "/a" or "a/" names no setting: the settings tree takes no empty part.
            if (key.empty() || key.front() == '/' || key.back() == '/' || key.find("//") != std::string::npos) {
                logLine(Severity::Warning, "setting \"" + key.substr(0, 80) + "\" refused: an empty part in its name");
                continue;
            }
            const Json::Value& v = settings[key];
            if (v.isString())
                mConfig.setStringVal(key, v.asString());
            else if (v.isBool())
                mConfig.setBoolVal(key, v.asBool());
            else if (v.isInt())
                mConfig.setIntVal(key, v.asInt());
            else if (v.isDouble())
                mConfig.setRealVal(key, static_cast<float>(v.asDouble()));
        }
}

std::string ZRKLan::getMsg(const std::string& key)
{
    ZRKLan* lan = getSingletonPtr();
    if (!lan)
        return key;
    auto it = lan->mTexts.find(key);
    return it == lan->mTexts.end() ? key : it->second;
}

core::XmlConfigHelper ZRKLan::getConfig()
{
    ZRKLan* lan = getSingletonPtr();
    return lan ? lan->mConfig : core::XmlConfigHelper();
}

} // namespace zrk
} // namespace kavri3D
