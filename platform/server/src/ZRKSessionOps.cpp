#include "server/ZRKSessionOps.h"

#include <yake/Logger.h>
#include "server/ZRKLobby.h"
#include "data/ZRKParams.h"
#include "server/ZRKPasswords.h"
#include "server/ZRKServerCall.h"
#include "server/ZRKServerCore.h"
#include "server/ZRKServerOps.h"
#include "server/ZRKWorld.h"

namespace kavri3D {
namespace zrk {

namespace {
using yake::logging::Severity;

const yake::logging::Channel logLine("ZRKGameServer");

/// A room or user by name or by address ("r7@conference.zrk", "hero@zrk" give r7 and hero).
std::string plainName(const std::string& nameOrAddress) { return nameOrAddress.substr(0, nameOrAddress.find('@')); }

/// Answers with a code, as the session reads it: 0 accepted, 1 wrong name or password, 2
/// logged in elsewhere.
void login(ZRKServerCall& call)
{
    const Json::Value& args = call.request.args;
    std::string name, password;
    if (!args.isObject() || !ZRKServerCall::readText(args["name"], name) ||
        !ZRKServerCall::readText(args["password"], password))
        return call.refuse("error/srv_bad_request", "no name and password");
    ZRKWorld::Account account;
    const bool known = !name.empty() && call.world().findAccount(name, account);
    if (!known)
        ZRKPasswords::verifyNothing(password); // as slow as a wrong password
    if (!known || !ZRKPasswords::verify(account.passwordHash, password)) {
        logLine(Severity::Notice, "log-in refused for " + name + ": wrong name or password");
        call.text = "1";
        return;
    }
    const long elsewhere = call.server.connectionOf(account.player);
    if (account.elsewhere || (elsewhere && elsewhere != call.connection)) {
        logLine(Severity::Notice, "log-in refused for " + name + ": logged in elsewhere");
        call.text = "2";
        return;
    }
    const std::string sid = call.server.logIn(call.connection, account.name, account.player);
    call.text = "0";
    call.views["session"]["uid"] = account.name;
    call.views["session"]["sid"] = sid;
}

void logout(ZRKServerCall& call)
{
    call.server.logOut(call.connection);
    call.text = "0";
}

/// Enters a room with its password, when it has one: [room, text or {password}]. The answer is
/// the code the room callbacks get: 0 in, 9 no access (no such room, or full), 10 wrong password.
void enter(ZRKServerCall& call)
{
    std::string room;
    if (!ZRKServerCall::readText(call.arg(0), room) || room.empty())
        return call.refuse("error/srv_bad_request", "no room");
    Json::Value entry = call.arg(1);
    if (entry.isString())
        entry = ZRKParams::readText(entry.asString());
    std::string password;
    if (entry.isObject() && !entry["password"].isNull() && !ZRKServerCall::readText(entry["password"], password))
        return call.refuse("error/srv_bad_request", "a password that is not text");
    // A zone's level limit holds by whichever way its hall or rooms are asked for.
    const ZRKWorld::Player* p = call.world().player(call.player);
    if (!p || !call.lobby().admits(plainName(room), static_cast<int>(p->lv))) {
        logLine(Severity::Notice, call.player + " is above the level limit of the room " + plainName(room));
        call.text = std::to_string(ZRKLobby::NoAccess);
        return;
    }
    // One game room at a time: once in another, the one sat in before is left.
    const std::string before = call.lobby().gameRoomOf(call.player);
    const ZRKLobby::Entry code = call.lobby().enter(call.player, plainName(room), password);
    const ZRKLobby::Room* now = call.lobby().findRoom(plainName(room));
    if (code == ZRKLobby::Entered && now && !now->hall && !before.empty() && before != now->name)
        call.lobby().leave(call.player, before);
    call.text = std::to_string(code);
}

void leave(ZRKServerCall& call)
{
    std::string room;
    if (!ZRKServerCall::readText(call.arg(0), room))
        return call.refuse("error/srv_bad_request", "no room");
    if (!call.lobby().leave(call.player, plainName(room)))
        return call.refuse("error/room_no_access", "not in the room " + plainName(room));
    call.text = "0";
}

/// What the player says in a room reaches everyone in it.
void sendRoomMessage(ZRKServerCall& call)
{
    std::string room, text;
    if (!ZRKServerCall::readText(call.arg(0), room) || !ZRKServerCall::readText(call.arg(1), text))
        return call.refuse("error/srv_bad_request", "no room or text");
    // The room's chat is addressed by the room's name or by its number (the room page's line).
    if (!call.lobby().say(call.player, call.lobby().nameOf(plainName(room)), text))
        return call.refuse("error/room_no_access", "not in the room " + plainName(room));
}

/// What the player says to one other reaches that one when online; the answer tells whether.
void sendUserMessage(ZRKServerCall& call)
{
    std::string to, text;
    if (!ZRKServerCall::readText(call.arg(0), to) || !ZRKServerCall::readText(call.arg(1), text))
        return call.refuse("error/srv_bad_request", "no addressee or text");
    if (!call.world().player(plainName(to))) {
        call.refuse("error/srv_no_person", "no player " + plainName(to).substr(0, 40));
        call.views["online"]["online"] = false; // nobody is online under that name either
        return;
    }
    call.views["online"]["online"] = call.lobby().whisper(call.player, plainName(to), text);
}

} // namespace

void ZRKSessionOps::addTo(ZRKServerOps& ops)
{
    ops.add("login", &login, ZRKServerOps::Secret);
    ops.add("logout", &logout, 0);
    ops.add("enter", &enter, ZRKServerOps::NeedsPlayer | ZRKServerOps::Secret);
    ops.add("leave", &leave, ZRKServerOps::NeedsPlayer);
    ops.add("sendRoomMessage", &sendRoomMessage, ZRKServerOps::NeedsPlayer);
    ops.add("sendUserMessage", &sendUserMessage, ZRKServerOps::NeedsPlayer);
}

} // namespace zrk
} // namespace kavri3D
