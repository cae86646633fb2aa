#include "data/ZRKMessage.h"

#include <memory>
#include <util/JsonText.h>

namespace kavri3D {
namespace zrk {

namespace {

const char* const kTypeNames[ZRKMessage::TypeCount] = {"request", "reply", "notice"};

bool readString(const Json::Value& v, const char* key, std::string& out)
{
    const Json::Value& m = v[key];
    if (m.isNull())
        return true; // an empty field need not travel
    if (!m.isString())
        return false;
    out = m.asString();
    return true;
}

} // namespace

const char* ZRKMessage::typeName(Type type) { return type >= 0 && type < TypeCount ? kTypeNames[type] : "?"; }

ZRKMessage ZRKMessage::request(const ZRKRequestInfo& info)
{
    ZRKMessage m;
    m.type = Request;
    m.handle = info.handle;
    m.kind = info.kind;
    m.op = info.op;
    m.params = info.params;
    m.args = info.args;
    return m;
}

ZRKMessage ZRKMessage::reply(long handle, bool error, const std::string& text, Json::Value views)
{
    ZRKMessage m;
    m.type = Reply;
    m.handle = handle;
    m.error = error;
    m.text = text;
    m.views = std::move(views);
    return m;
}

ZRKMessage ZRKMessage::notice(const std::string& what, const std::string& room, const std::string& member,
                              const Json::Value& args, const std::string& text)
{
    ZRKMessage m;
    m.type = Notice;
    m.op = what;
    m.room = room;
    m.member = member;
    m.args = args;
    m.text = text;
    return m;
}

const Json::Value& ZRKMessage::view(const std::string& name) const
{
    auto whole = shared.find(name);
    if (whole != shared.end() && whole->second)
        return *whole->second;
    return views.isObject() && views.isMember(name) ? views[name] : Json::Value::nullSingleton();
}

Json::Value ZRKMessage::toJson() const
{
    Json::Value v(Json::objectValue);
    v["type"] = typeName(type);
    if (handle)
        v["handle"] = static_cast<Json::Int64>(handle);
    const std::pair<const char*, const std::string*> strings[] = {
        {"kind", &kind}, {"op", &op}, {"params", &params}, {"text", &text}, {"room", &room}, {"member", &member}};
    for (const auto& s : strings)
        if (!s.second->empty())
            v[s.first] = *s.second;
    if (!args.isNull())
        v["args"] = args;
    if (error)
        v["error"] = true;
    if (!views.isNull())
        v["views"] = views;
    for (const auto& s : shared)
        if (s.second)
            v["views"][s.first] = *s.second;
    return v;
}

std::string ZRKMessage::toText() const
{
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    builder["emitUTF8"] = true;
    return Json::writeString(builder, toJson());
}

bool ZRKMessage::fromJson(const Json::Value& v, ZRKMessage& out)
{
    if (!v.isObject() || !v["type"].isString())
        return false;
    ZRKMessage m;
    const std::string type = v["type"].asString();
    int found = -1;
    for (int i = 0; i < TypeCount; ++i)
        if (type == kTypeNames[i])
            found = i;
    if (found < 0)
        return false;
    m.type = static_cast<Type>(found);
    const Json::Value& handle = v["handle"];
    if (!handle.isNull() && !handle.isInt64())
        return false;
    m.handle = handle.isNull() ? 0 : static_cast<long>(handle.asInt64());
    const Json::Value& error = v["error"];
    if (!error.isNull() && !error.isBool())
        return false;
    m.error = error.isBool() && error.asBool();
    if (!readString(v, "kind", m.kind) || !readString(v, "op", m.op) || !readString(v, "params", m.params) ||
        !readString(v, "text", m.text) || !readString(v, "room", m.room) || !readString(v, "member", m.member))
        return false;
    m.args = v["args"];
    m.views = v["views"];
    // What each type cannot do without.
    if ((m.type == Request && (m.handle == 0 || m.op.empty())) || (m.type == Reply && m.handle == 0) ||
        (m.type == Notice && m.op.empty()))
        return false;
    out = std::move(m);
    return true;
}

bool ZRKMessage::fromText(const std::string& text, ZRKMessage& out)
{
    if (text.empty() || text.size() > kMaxText)
        return false;
    core::JsonText::Limits limits;
    limits.maxBytes = kMaxText;
    Json::Value value;
    std::string error;
    return core::JsonText::parse(text, value, error, limits) && fromJson(value, out);
}

} // namespace zrk
} // namespace kavri3D
