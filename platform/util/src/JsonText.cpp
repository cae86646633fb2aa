#include "util/JsonText.h"

#include <json/reader.h>
#include <memory>

namespace kavri3D {
namespace core {

bool JsonText::parse(const std::string& text, Json::Value& document, std::string& error)
{
    document = Json::Value();
    Json::CharReaderBuilder builder;
    builder["allowComments"] = true;
    builder["collectComments"] = false;
    builder["stackLimit"] = kMaxDepth;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value parsed;
    try {
        if (!reader->parse(text.data(), text.data() + text.size(), &parsed, &error))
            return false;
    } catch (const std::exception& e) {
        error = e.what(); // nested past the stack limit
        return false;
    }
    document.swap(parsed);
    return true;
}

bool JsonText::readFile(const std::string& path, Json::Value& document, std::string& error, std::size_t limit)
{
    document = Json::Value();
    std::string text;
    if (!yake::FileText::read(path, text, error, limit))
        return false;
    return parse(text, document, error);
}

} // namespace core
} // namespace kavri3D
