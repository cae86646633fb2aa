#include "rooms/JsonDataFile.h"

#include <util/JsonText.h>
#include <yake/FileText.h>

#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

bool JsonDataFile::load(const std::string& path, Json::Value& document, const char* channel,
                        const std::string& shownName)
{
    document = Json::Value();
    std::string text, error;
    if (!yake::FileText::read(path, text, error)) {
        writeLog(6, channel, shownName + " open failed"); // missing, unreadable or too large
        return false;
    }
    Json::Value parsed;
    if (!core::JsonText::parse(text, parsed, error)) {
        writeLog(6, channel, shownName + " read failed"); // not JSON or nested too deep
        return false;
    }
    document.swap(parsed);
    return true;
}

} // namespace zrk
} // namespace kavri3D
