#pragma once
#include <core/Lifetime.h>
#include <string>

class TiXmlNode;

namespace kavri3D {
namespace core {

/// Receives the messages of the rooms it is registered for. The message client holds only
/// a weak token of it, so a destroyed callback is never called.
class MsgRoomCallback {
public:
    virtual ~MsgRoomCallback() = default;

    /// Reply to entering a room: code -1 or 0 is success.
    virtual void onEnterRoom(const std::string& room, int code, const std::string& params) {}
    virtual void onRoomReady(const std::string& room) {}
    virtual void onLeaveRoom(const std::string& room) {}
    virtual void onMemberJoin(const std::string& room, const std::string& member, bool self) {}
    virtual void onMemberLeave(const std::string& room, const std::string& member) {}
    virtual void onMemberPresence(const std::string& member) {}
    virtual void onMemberChatState(const std::string& room, int state) {}
    virtual void onMemberMessage(const std::string& room, const std::string& text, bool self) {}
    virtual void onMemberSpecialEvent(const std::string& room, const std::string& name, const TiXmlNode* node) {}
    virtual void onRoomInfo(const std::string& room, const TiXmlNode* node) {}

    std::weak_ptr<void> aliveToken() const { return mLife.token(); }

private:
    Lifetime mLife; // a copy is a listener of its own
};

} // namespace core
} // namespace kavri3D
