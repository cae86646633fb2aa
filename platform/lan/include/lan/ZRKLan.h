#pragma once
#include <map>
#include <string>
#include <util/Singleton.h>
#include <util/XmlConfigHelper.h>

namespace kavri3D {
namespace zrk {

/// The text library: the texts shown to the player by message key ("error/title1") and the
/// game's settings by key, read from the JSON files of a folder (texts.json, settings.json).
class ZRKLan : public Singleton<ZRKLan> {
public:
    explicit ZRKLan(const std::string& folder = "res/lan");

    /// The text of a message key; a key without a text (or without a live text library)
    /// gives the key itself, so the player still sees which message was meant.
    static std::string getMsg(const std::string& key);
    /// The settings of the live instance; an empty view when there is none.
    static core::XmlConfigHelper getConfig();

    bool hasMsg(const std::string& key) const { return mTexts.count(key) > 0; }
    std::size_t size() const { return mTexts.size(); }

private:
    std::map<std::string, std::string> mTexts;
    core::XmlConfigHelper mConfig;
};

} // namespace zrk
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::zrk::ZRKLan);
