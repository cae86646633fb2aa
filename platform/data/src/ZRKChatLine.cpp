#include "data/ZRKChatLine.h"

#include <json/value.h>
#include <json/writer.h>

namespace kavri3D {
namespace zrk {

std::string ZRKChatLine::quote(const std::string& value)
{
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    writer["emitUTF8"] = true;
    return Json::writeString(writer, Json::Value(value));
}

std::string ZRKChatLine::make(const std::string& uid, const std::string& uname, const std::string& team,
                              const std::string& content)
{
    std::string line = "{\"Channel\":\"1\",\"Sender\":{\"uid\":";
    line += quote(uid);
    line += ",\"uname\":";
    line += quote(uname);
    line += "},\"team\":";
    line += quote(team);
    line += ",\"Content\":";
    line += quote(content);
    line += "}";
    return line;
}

} // namespace zrk
} // namespace kavri3D
