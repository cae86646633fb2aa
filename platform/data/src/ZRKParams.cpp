#include "data/ZRKParams.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <util/JsonText.h>
#include "data/ZRKParamText.h"

namespace kavri3D {
namespace zrk {

namespace {

/// Reads the quote-less form: objects, arrays and bare scalars, nothing escaped.
class LooseReader {
public:
    explicit LooseReader(const std::string& text) : mText(text) {}

    bool read(Json::Value& out)
    {
        if (!value(out, 0))
            return false;
        skipBlanks();
        return mAt == mText.size();
    }

private:
    void skipBlanks()
    {
        while (mAt < mText.size() &&
               (mText[mAt] == ' ' || mText[mAt] == '\n' || mText[mAt] == '\r' || mText[mAt] == '\t'))
            ++mAt;
    }
    bool value(Json::Value& out, int depth)
    {
        if (depth > ZRKParams::kMaxDepth)
            return false;
        skipBlanks();
        if (mAt < mText.size() && mText[mAt] == '{')
            return object(out, depth);
        if (mAt < mText.size() && mText[mAt] == '[')
            return array(out, depth);
        out = scalar(word(",]}"));
        return true;
    }
    bool object(Json::Value& out, int depth)
    {
        out = Json::Value(Json::objectValue);
        ++mAt;
        if (closes('}'))
            return true;
        for (;;) {
            const std::string key = word(":,]}");
            if (mAt >= mText.size() || mText[mAt] != ':' || out.isMember(key))
                return false; // a key given twice: which one was meant cannot be told
            ++mAt;
            if (!value(out[key], depth + 1))
                return false;
            if (closes('}'))
                return true;
            if (!next())
                return false;
        }
    }
    bool array(Json::Value& out, int depth)
    {
        out = Json::Value(Json::arrayValue);
        ++mAt;
        if (closes(']'))
            return true;
        for (;;) {
            if (!value(out[out.size()], depth + 1))
                return false;
            if (closes(']'))
                return true;
            if (!next())
                return false;
        }
    }
    bool closes(char c)
    {
        skipBlanks();
        if (mAt < mText.size() && mText[mAt] == c) {
            ++mAt;
            return true;
        }
        return false;
    }
    bool next()
    {
        if (mAt < mText.size() && mText[mAt] == ',') {
            ++mAt;
            return true;
        }
        return false;
    }
    std::string word(const char* stops)
    {
        const std::size_t from = mAt;
        while (mAt < mText.size() && !std::strchr(stops, mText[mAt]))
            ++mAt;
        std::string w = mText.substr(from, mAt - from);
        while (!w.empty() && (w.back() == '\n' || w.back() == '\r'))
            w.pop_back();
        return w;
    }
    static Json::Value scalar(const std::string& w)
    {
        if (w == "true" || w == "false")
            return Json::Value(w == "true");
        if (w == "null")
            return Json::Value();
        if (!w.empty() && w.size() < 19) {
            char* end = nullptr;
            const long long n = std::strtoll(w.c_str(), &end, 10);
            if (end && *end == '\0' && (std::isdigit(static_cast<unsigned char>(w[0])) || w[0] == '-'))
                return Json::Value(static_cast<Json::Int64>(n));
        }
        return Json::Value(w);
    }

    const std::string& mText;
    std::size_t mAt = 0;
};

} // namespace

ZRKParams::ZRKParams(const std::string& text) : mText(text), mArgs(readText(text)) {}

ZRKParams::ZRKParams(const char* text) : ZRKParams(std::string(text ? text : "")) {}

ZRKParams ZRKParams::of(const Json::Value& args, bool quoted)
{
    return exact(quoted ? ZRKParamText::makeQuoted(args) : ZRKParamText::make(args), args);
}

ZRKParams ZRKParams::exact(const std::string& text, const Json::Value& args)
{
    ZRKParams p;
    p.mText = text;
    p.mArgs = args;
    return p;
}

Json::Value ZRKParams::readText(const std::string& text)
{
    if (text.empty() || text.size() > kMaxText)
        return Json::Value();
    if (text.find('"') != std::string::npos) {
        core::JsonText::Limits limits;
        limits.maxBytes = kMaxText;
        limits.maxDepth = kMaxDepth;
        limits.rejectDuplicateKeys = true;
        Json::Value value;
        std::string error;
        return core::JsonText::parse(text, value, error, limits) ? value : Json::Value();
    }
    Json::Value value;
    LooseReader reader(text);
    return reader.read(value) ? value : Json::Value();
}

} // namespace zrk
} // namespace kavri3D
