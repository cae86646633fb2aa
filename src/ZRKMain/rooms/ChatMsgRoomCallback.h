#pragma once
#include <boost/function.hpp>
#include <string>
#include <vector>
#include <data/MsgChatCallback.h>
#include <data/MsgRoomCallback.h>

namespace kavri3D {
namespace zrk {

/// Hands the text messages of the rooms it follows, and chat messages, to its listeners
/// in the order they were added.
class ChatMsgRoomCallback : public core::MsgRoomCallback, public core::MsgChatCallback {
public:
    /// (room or sender, text, flag)
    typedef boost::function<void(const std::string&, const std::string&, bool)> Listener;

    void addListener(const Listener& listener) { mListeners.push_back(listener); }
    std::size_t listenerCount() const { return mListeners.size(); }

    void onMemberMessage(const std::string& room, const std::string& text, bool self) override;
    /// A chat message goes on as (sender, text) and always with the flag set.
    void onMessage(const std::string& from, const std::string& to, const std::string& text) override;

private:
    void relay(const std::string& a, const std::string& b, bool flag);

    std::vector<Listener> mListeners;
};

} // namespace zrk
} // namespace kavri3D
