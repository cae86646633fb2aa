#include "data/ZRKGameServer.h"

#include <yake/Logger.h>
#include "data/ZRKJson.h"
#include "data/ZRKRequestBroker.h"

namespace kavri3D {
namespace zrk {

namespace {

void logLine(unsigned severity, const std::string& text) { yake::logging::logger::instance().log(severity, "ZRKGameServer", text); }

/// The arguments of a quote-less parameter text: "[hero,0]\n" gives hero and 0.
std::vector<std::string> looseArgs(const std::string& params)
{
    std::string text = params;
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    std::vector<std::string> out;
    if (text.size() < 2 || text.front() != '[' || text.back() != ']')
        return out;
    int depth = 0;
    std::string current;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        char c = text[i];
        if (c == '[' || c == '{')
            ++depth;
        else if (c == ']' || c == '}')
            --depth;
        if (c == ',' && depth == 0) {
            out.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty() || !out.empty())
        out.push_back(current);
    return out;
}

/// Every value turned into junk of the wrong type, keeping the shape's top level.
Json::Value garble(const Json::Value& v)
{
    if (v.isObject()) {
        Json::Value out(Json::objectValue);
        for (const std::string& name : v.getMemberNames())
            out[name] = garble(v[name]);
        return out;
    }
    if (v.isArray())
        return Json::Value("#garbage#");
    return Json::Value(Json::arrayValue); // a list where a value belongs
}

/// A fixture file name: plain, inside the server folder.
bool plainFileName(const std::string& name)
{
    return !name.empty() && name.find('/') == std::string::npos && name.find('\\') == std::string::npos &&
           name.find("..") == std::string::npos;
}

} // namespace

const char* ZRKGameServer::modeName(Mode mode)
{
    static const char* const names[ModeCount] = {"answer", "fail", "hang", "garbage"};
    return mode >= 0 && mode < ModeCount ? names[mode] : "?";
}

ZRKGameServer::ZRKGameServer(ZRKRequestBroker& broker, const std::string& folder) : mBroker(broker), mFolder(folder)
{
    load();
    mConnection = mBroker.subscribeToSent([this](const ZRKRequestInfo& info) { onSent(info); });
}

ZRKGameServer::~ZRKGameServer() = default;

bool ZRKGameServer::load()
{
    mAccounts = ZRKJson::member(ZRKJson::readFile(mFolder + "/accounts.json"), "accounts");
    mPlayers = ZRKJson::readFile(mFolder + "/players.json");
    mReplies = ZRKJson::readFile(mFolder + "/replies.json");
    bool ok = mAccounts.isObject() && mPlayers.isObject() && mReplies.isObject();
    if (!ok)
        logLine(3, "fixtures missing or malformed in " + mFolder);
    return ok;
}

void ZRKGameServer::clearModes()
{
    mMode = Answer;
    mModes.clear();
}

void ZRKGameServer::onSent(const ZRKRequestInfo& info) { mArrivals.push_back({info, mFrame}); }

ZRKGameServer::Mode ZRKGameServer::modeOf(const std::string& op) const
{
    auto it = mModes.find(op);
    return it == mModes.end() ? mMode : it->second;
}

void ZRKGameServer::update()
{
    ++mFrame;
    std::vector<Arrival> due;
    std::vector<Arrival> later;
    for (Arrival& a : mArrivals)
        (a.frame < mFrame ? due : later).push_back(a);
    mArrivals.swap(later);
    for (const Arrival& a : due) {
        if (!mBroker.isPending(a.info.handle))
            continue; // cancelled
        Mode mode = modeOf(a.info.op);
        if (mode == Hang)
            continue;
        Reply r;
        if (mode == Fail) {
            r.error = true;
            r.text = mFailText;
        } else {
            r = answer(a.info);
            if (mode == Garbage) {
                r.error = false;
                r.text = garbageText();
                r.views = garble(r.views);
            }
        }
        if (mBroker.complete(a.info.handle, r.error, r.text, r.views))
            ++mAnswered;
    }
}

ZRKGameServer::Reply ZRKGameServer::answerLogin(const ZRKRequestInfo& info)
{
    Reply r;
    const Json::Value request = ZRKJson::parse(info.params);
    const std::string name = ZRKJson::getString(request, "name", "");
    const Json::Value& account = ZRKJson::member(mAccounts, name);
    const Json::Value& password = ZRKJson::member(account, "password");
    const Json::Value& given = ZRKJson::member(request, "password");
    // An account whose password is not text accepts nothing, not even an empty password.
    if (name.empty() || !password.isString() || !given.isString() || password.asString() != given.asString()) {
        r.text = "1";
        return r;
    }
    if (ZRKJson::getBool(account, "online", false)) {
        r.text = "2"; // logged in elsewhere
        return r;
    }
    mAccount = name;
    r.text = "0";
    r.views["session"]["uid"] = name;
    r.views["session"]["sid"] = name + "-" + std::to_string(++mSessions);
    return r;
}

ZRKGameServer::Reply ZRKGameServer::answer(const ZRKRequestInfo& info)
{
    if (info.op == "login")
        return answerLogin(info);
    if (info.op == "logout")
        mAccount.clear();
    Reply r;
    const Json::Value& entry = ZRKJson::member(mReplies, info.op);
    if (!entry.isObject()) {
        r.error = true;
        r.text = "unknown request " + info.op;
        logLine(4, r.text);
        return r;
    }
    const std::vector<std::string> args = looseArgs(info.params);
    r.error = ZRKJson::getBool(entry, "error", false);
    r.text = ZRKJson::getString(entry, "text", "");
    const Json::Value& views = ZRKJson::member(entry, "views");
    if (!views.isObject())
        return r;
    r.views = Json::Value(Json::objectValue);
    for (const std::string& name : views.getMemberNames()) {
        Json::Value value;
        if (!resolve(views[name], args, value)) {
            r.error = true;
            r.text = "not logged in";
            r.views = Json::Value();
            return r;
        }
        r.views[substitute(name, args)] = value;
    }
    return r;
}

std::string ZRKGameServer::substitute(std::string text, const std::vector<std::string>& args) const
{
    const std::pair<std::string, std::string> keys[] = {{"{user}", mAccount}, {"{arg0}", args.empty() ? "" : args[0]}};
    for (const auto& key : keys)
        for (std::size_t at = text.find(key.first); at != std::string::npos; at = text.find(key.first, at + key.second.size()))
            text.replace(at, key.first.size(), key.second);
    return text;
}

// A source is a literal value, "player:<key>" (the logged-in player's record) or
// "file:<name>" / "file:<name>#<member>". False only when a player is needed and none is in.
bool ZRKGameServer::resolve(const Json::Value& source, const std::vector<std::string>& args, Json::Value& out) const
{
    out = Json::Value();
    if (!source.isString()) {
        out = source;
        return true;
    }
    const std::string text = source.asString();
    if (text.compare(0, 7, "player:") == 0) {
        if (mAccount.empty())
            return false;
        const std::string player = ZRKJson::getString(ZRKJson::member(mAccounts, mAccount), "player", mAccount);
        out = ZRKJson::member(ZRKJson::member(mPlayers, player), text.substr(7));
        return true;
    }
    if (text.compare(0, 5, "file:") == 0) {
        std::string file = text.substr(5);
        std::string part;
        std::size_t hash = file.find('#');
        if (hash != std::string::npos) {
            part = substitute(file.substr(hash + 1), args);
            file.erase(hash);
        }
        if (!plainFileName(file))
            return true;
        Json::Value content = ZRKJson::readFile(mFolder + "/" + file);
        out = part.empty() ? content : ZRKJson::member(content, part);
        return true;
    }
    out = source;
    return true;
}

} // namespace zrk
} // namespace kavri3D
