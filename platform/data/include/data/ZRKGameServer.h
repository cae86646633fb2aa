#pragma once
#include <boost/signals2.hpp>
#include <json/json.h>
#include <map>
#include <string>
#include <vector>
#include "data/ZRKRequestInfo.h"

namespace kavri3D {
namespace zrk {

class ZRKRequestBroker;

/// The game server the client plays against when there is no other: it answers each request
/// one frame after it was sent, from the fixture files of its folder (accounts.json,
/// players.json, replies.json and the files those name). Tests can make it fail, hang or
/// answer garbage, for every request or for one operation.
class ZRKGameServer {
public:
    enum Mode { Answer, Fail, Hang, Garbage, ModeCount };
    static const char* modeName(Mode mode);

    ZRKGameServer(ZRKRequestBroker& broker, const std::string& folder);
    ~ZRKGameServer();

    /// (Re)reads the fixtures; false when accounts.json, players.json or replies.json is missing or not a
    /// JSON object. The server answers either way (with errors where data is missing).
    bool load();
    const std::string& getFolder() const { return mFolder; }

    void setMode(Mode mode) { mMode = mode; }
    /// A mode for one operation, over the general one.
    void setModeFor(const std::string& op, Mode mode) { mModes[op] = mode; }
    void clearModes();
    void setFailText(const std::string& text) { mFailText = text; }

    /// Answers the requests that arrived before this frame.
    void update();

    /// The account logged in on this server, empty when none.
    const std::string& getAccount() const { return mAccount; }
    std::size_t answeredCount() const { return mAnswered; }

    static const char* garbageText() { return "\x01{garbage"; }

private:
    struct Reply {
        bool error = false;
        std::string text;
        Json::Value views;
    };
    struct Arrival {
        ZRKRequestInfo info;
        unsigned frame;
    };

    void onSent(const ZRKRequestInfo& info);
    Mode modeOf(const std::string& op) const;
    Reply answer(const ZRKRequestInfo& info);
    Reply answerLogin(const ZRKRequestInfo& info);
    bool resolve(const Json::Value& source, const std::vector<std::string>& args, Json::Value& out) const;
    std::string substitute(std::string text, const std::vector<std::string>& args) const;

    ZRKRequestBroker& mBroker;
    std::string mFolder;
    Json::Value mAccounts;
    Json::Value mPlayers;
    Json::Value mReplies;
    Mode mMode = Answer;
    std::map<std::string, Mode> mModes;
    std::string mFailText = "the server is busy";
    std::vector<Arrival> mArrivals;
    unsigned mFrame = 0;
    std::size_t mAnswered = 0;
    std::string mAccount;
    unsigned mSessions = 0;
    boost::signals2::scoped_connection mConnection;
};

} // namespace zrk
} // namespace kavri3D
