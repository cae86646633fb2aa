#pragma once
#include <functional>
#include <json/json.h>
#include <string>
#include "data/ZRKMessage.h"
#include "data/ZRKSharedViews.h"

namespace kavri3D {
namespace zrk {

class ZRKLobby;
class ZRKServerCore;
class ZRKWorld;

/// One request on its way through its handler: who asks, with which arguments, and the answer
/// being built. A handler reads only the structured arguments.
struct ZRKServerCall {
    ZRKServerCall(ZRKServerCore& server, long connection, const ZRKMessage& request, const std::string& account,
                  const std::string& player);

    ZRKServerCore& server;
    long connection;
    const ZRKMessage& request;
    std::string account; ///< the account logged in on the connection, empty when none
    std::string player;  ///< its player
    bool error = false;
    std::string text;
    Json::Value views;
    ZRKSharedViews shared; ///< views of the world's, handed over whole
    /// What a changing request does once its change is kept (run after the commit, never when
    /// it failed): the run's own state that must follow the world, not run ahead of it.
    std::function<void()> committed;

    /// Hands a view the world keeps to the reply without copying it; nothing for none.
    void share(const std::string& name, const std::shared_ptr<const Json::Value>& view);
    ZRKWorld& world();
    ZRKLobby& lobby();
    /// Entry i of an argument list; null when the arguments are no list or shorter.
    const Json::Value& arg(unsigned i) const;
    /// Refuses: an error reply with the text of the message key, and one log line naming the
    /// operation and why (never the arguments of an operation that carries a password).
    void refuse(const std::string& key, const std::string& why);
    /// A player's card as every player sees it, the own one included: the information with
    /// the character's record over it, made once per change. Null for no such player.
    std::shared_ptr<const Json::Value> card(const std::string& name);

    /// A whole number, or a text that is exactly one (settings trees carry numbers as text).
    static bool readNumber(const Json::Value& v, long long& out);
    static bool readText(const Json::Value& v, std::string& out);
};

} // namespace zrk
} // namespace kavri3D
