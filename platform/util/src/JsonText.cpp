#include "util/JsonText.h"

#include <json/reader.h>
#include <map>
#include <memory>
#include <utility>

namespace kavri3D {
namespace core {

namespace {

/// The reader's report ("* Line 1, Column 6\n  Missing ',' ...\n") as one line.
std::string oneLine(const std::string& report)
{
    std::string line;
    std::size_t from = 0;
    while (from < report.size()) {
        std::size_t to = report.find('\n', from);
        if (to == std::string::npos)
            to = report.size();
        std::string part = report.substr(from, to - from);
        from = to + 1;
        const std::size_t first = part.find_first_not_of(" \t*\r");
        if (first == std::string::npos)
            continue;
        part = part.substr(first, part.find_last_not_of(" \t\r") + 1 - first);
        line += (line.empty() ? "" : ": ") + part;
    }
    return line;
}

} // namespace

bool JsonText::parse(const std::string& text, Json::Value& document, std::string& error, const Limits& limits)
{
    document = Json::Value();
    error.clear();
    if (text.size() > limits.maxBytes) {
        error = "larger than " + std::to_string(limits.maxBytes) + " bytes";
        return false;
    }
    // One reader per thread and kind: the world reads a column on every look-up.
    thread_local std::map<std::pair<int, bool>, std::unique_ptr<Json::CharReader>> readers;
    std::unique_ptr<Json::CharReader>& reader = readers[{limits.maxDepth, limits.rejectDuplicateKeys}];
    if (!reader) {
        Json::CharReaderBuilder builder;
        builder["allowComments"] = true;
        builder["collectComments"] = false;
        builder["stackLimit"] = limits.maxDepth;
        builder["rejectDupKeys"] = limits.rejectDuplicateKeys;
        reader.reset(builder.newCharReader());
    }
    Json::Value parsed;
    std::string report;
    try {
        if (!reader->parse(text.data(), text.data() + text.size(), &parsed, &report)) {
            error = "not JSON: " + oneLine(report);
            return false;
        }
    } catch (const std::exception&) {
        // The reader throws once it passes its stack limit.
        error = "nested deeper than " + std::to_string(limits.maxDepth) + " levels";
        return false;
    }
    document.swap(parsed);
    return true;
}

bool JsonText::parse(const std::string& text, Json::Value& document, std::string& error)
{
    return parse(text, document, error, Limits());
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
