#pragma once
#include <string>

class TiXmlNode;

namespace kavri3D {
namespace core {

/// Receives private chat messages; a room callback that is also a chat callback gets them.
class MsgChatCallback {
public:
    virtual ~MsgChatCallback() = default;
    virtual void handleSpecialEvent(const TiXmlNode* node) {}
    /// A chat message: sender, receiver, text.
    virtual void onMessage(const std::string& from, const std::string& to, const std::string& text) {}
    virtual void onChatState(const std::string& from, int state) {}
};

} // namespace core
} // namespace kavri3D
