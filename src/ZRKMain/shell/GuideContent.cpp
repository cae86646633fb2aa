#include "shell/GuideContent.h"

#include "rooms/JsonDataFile.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

const char* const GuideContent::kDefaultPath = "res/GUI/guildContent.json";

GuideContent::GuideContent() = default;

GuideContent::~GuideContent() = default;

void GuideContent::load(const std::string& path)
{
    mDocument = Json::Value();
    Json::Value document;
    if (!JsonDataFile::load(path, document, "GuideContent::load", "guildContent.json"))
        return;
    // Only an object of lists is guide content; anything else would be read as nonsense.
    if (!document.isObject()) {
        writeLog(6, "GuideContent::load", "guildContent.json read failed");
        return;
    }
    mDocument.swap(document);
}

Json::Value* GuideContent::find(const std::string& key, int index)
{
    // Checked before any indexing: jsoncpp's non-constant access would add what is absent.
    if (!mDocument.isObject() || index < 0 || !mDocument.isMember(key))
        return nullptr;
    Json::Value& list = mDocument[key];
    if (!list.isArray() || static_cast<Json::ArrayIndex>(index) >= list.size())
        return nullptr;
    return &list[static_cast<Json::ArrayIndex>(index)];
}

std::string GuideContent::getString(const std::string& key, int index)
{
    const Json::Value* value = find(key, index);
    return value && value->isString() ? value->asString() : std::string();
}

Json::Value& GuideContent::getValue(const std::string& key, int index)
{
    if (Json::Value* value = find(key, index))
        return *value;
    mMissing = Json::Value();
    return mMissing;
}

} // namespace zrk
} // namespace kavri3D
