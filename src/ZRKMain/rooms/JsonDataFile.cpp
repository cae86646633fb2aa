#include "rooms/JsonDataFile.h"

#include <fstream>
#include <json/reader.h>
#include <memory>

#include "shell/LogRoutine.h"

namespace kavri3D {
namespace zrk {

bool JsonDataFile::load(const std::string& path, Json::Value& document, const char* channel,
                        const std::string& shownName)
{
    document = Json::Value();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        writeLog(6, channel, shownName + " open failed");
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size > kMaxSize) {
        writeLog(6, channel, shownName + " read failed");
        writeLog(6, channel, shownName + " is larger than " + std::to_string(kMaxSize) + " bytes");
        return false;
    }
    std::string text(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    if (size < 0 || (size > 0 && !in.read(&text[0], size))) {
        writeLog(6, channel, shownName + " open failed");
        return false;
    }
    Json::CharReaderBuilder builder;
    builder["collectComments"] = true;
    builder["allowComments"] = true;
    builder["stackLimit"] = kMaxDepth;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    Json::Value parsed;
    bool ok = false;
    try {
        ok = !text.empty() && reader->parse(text.data(), text.data() + text.size(), &parsed, &errors);
    } catch (const std::exception& e) {
        errors = e.what(); // nested deeper than the limit
    }
    if (!ok) {
        writeLog(6, channel, shownName + " read failed");
        if (!errors.empty())
            writeLog(6, channel, errors);
        return false;
    }
    document.swap(parsed);
    return true;
}

} // namespace zrk
} // namespace kavri3D
