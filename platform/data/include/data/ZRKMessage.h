#pragma once
#include <json/json.h>
#include <string>
#include "data/ZRKRequestInfo.h"
#include "data/ZRKSharedViews.h"

namespace kavri3D {
namespace zrk {

/// One message between the game and its server: a request, the reply to it, or a notice the
/// server sends unasked. Plain values only, so it can cross a process boundary as text; a
/// text that is not a whole message reads as nothing, never as half a message.
struct ZRKMessage {
    enum Type { Request, Reply, Notice, TypeCount };
    static const char* typeName(Type type);

    Type type = Request;
    long handle = 0;       ///< request and reply: the request's handle
    std::string kind;      ///< request: the request class
    std::string op;        ///< request: the operation; notice: what happened ("join")
    std::string params;    ///< request: the parameter text
    Json::Value args;      ///< request: the arguments; notice: its values
    bool error = false;    ///< reply: the request failed
    std::string text;      ///< reply: the server's text; notice: a message's text
    Json::Value views;     ///< reply: the result views by name
    ZRKSharedViews shared; ///< reply: more result views, handed over whole (the text form makes them views)
    std::string room;      ///< notice: the room it is about (plain name)
    std::string member;    ///< notice: the player it is about (user id)

    static ZRKMessage request(const ZRKRequestInfo& info);
    static ZRKMessage reply(long handle, bool error, const std::string& text, Json::Value views = Json::Value());
    static ZRKMessage notice(const std::string& what, const std::string& room, const std::string& member,
                             const Json::Value& args = Json::Value(), const std::string& text = std::string());

    /// A reply's result view by name, handed over whole or not; null for none.
    const Json::Value& view(const std::string& name) const;

    Json::Value toJson() const;
    std::string toText() const;
    /// False, with `out` untouched, for anything that is not a whole message of a known type.
    static bool fromJson(const Json::Value& value, ZRKMessage& out);
    static bool fromText(const std::string& text, ZRKMessage& out);

    /// The longest text a message may have on the way.
    static constexpr std::size_t kMaxText = 1024 * 1024;
};

} // namespace zrk
} // namespace kavri3D
