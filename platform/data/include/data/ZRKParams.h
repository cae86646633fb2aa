#pragma once
#include <json/json.h>
#include <string>

namespace kavri3D {
namespace zrk {

/// What a request carries: its parameter text exactly as the game builds it (tests and logs
/// read it) and the same arguments as structured values, which keep every character of a
/// string. The server reads only the structured values.
class ZRKParams {
public:
    ZRKParams() = default;
    /// A parameter text as the caller wrote it; the arguments are read back from it. A
    /// quote-less text is read as well as it can be: a string holding , [ ] { } or : cannot
    /// come back whole, so callers that carry such strings hand over the values instead.
    ZRKParams(const std::string& text);
    ZRKParams(const char* text);
    /// Arguments as values; the text is written from them, without quotes unless `quoted`.
    static ZRKParams of(const Json::Value& args, bool quoted = false);
    /// Exactly this text and these arguments.
    static ZRKParams exact(const std::string& text, const Json::Value& args);

    const std::string& text() const { return mText; }
    const Json::Value& args() const { return mArgs; }

    /// The values of a parameter text: JSON when it is JSON, else the quote-less form
    /// ("{pcid:0}", "[hero,0]") read with bare words as strings, numbers and true/false.
    /// Null for an empty text, one too long or too deep to be a request's, or one that gives a
    /// key twice.
    static Json::Value readText(const std::string& text);

    static constexpr std::size_t kMaxText = 256 * 1024;
    static constexpr int kMaxDepth = 32;

private:
    std::string mText;
    Json::Value mArgs;
};

} // namespace zrk
} // namespace kavri3D
