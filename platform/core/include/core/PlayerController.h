#pragma once
#include <boost/function.hpp>
#include <string>

namespace kavri3D {
namespace core {

/// Hands a player's input to its figure while enabled. What an action does is the owner's:
/// it installs the action sink.
class PlayerController {
public:
    typedef boost::function<void(const std::string& action, const std::string& extra, bool loop)> ActionSink;

    explicit PlayerController(const std::string& playerId = std::string()) : mPlayerId(playerId) {}

    const std::string& getPlayerId() const { return mPlayerId; }
    void enable(bool on) { mEnabled = on; }
    bool isEnabled() const { return mEnabled; }
    /// Starts afresh: what was held before no longer counts.
    void restart() { ++mRestarts; }
    unsigned getRestarts() const { return mRestarts; }

    void setActionSink(const ActionSink& sink) { mSink = sink; }
    void execAction(const std::string& action, const std::string& extra, bool loop)
    {
        if (mSink)
            mSink(action, extra, loop);
    }

private:
    std::string mPlayerId;
    bool mEnabled = true;
    unsigned mRestarts = 0;
    ActionSink mSink;
};

} // namespace core
} // namespace kavri3D
