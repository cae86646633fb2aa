#include "shell/GuideContent.h"

#include <fstream>
#include <json/reader.h>
#include <memory>
#include <sstream>

#include "shell/LogRoutine.h"

namespace kavri3D {
namespace zrk {

const char* const GuideContent::kDefaultPath = "res/GUI/guildContent.json";

GuideContent::GuideContent() = default;

GuideContent::~GuideContent() = default;

void GuideContent::load(const std::string& path)
{
    mDocument = Json::Value();
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        writeLog(6, "GuideContent::load", "guildContent.json open failed");
        return;
    }
    std::ostringstream text;
    text << file.rdbuf();
    const std::string content = text.str();

    Json::CharReaderBuilder builder;
    builder["collectComments"] = true;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value document;
    std::string errors;
    // Only an object of lists is guide content; anything else would be read as nonsense.
    if (!reader->parse(content.data(), content.data() + content.size(), &document, &errors) || !document.isObject()) {
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
