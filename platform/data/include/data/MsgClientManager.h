#pragma once

namespace kavri3D {
namespace core {

class MsgClient;

/// Which message client sends: the one of the session that is logged in.
class MsgClientManager {
public:
    static MsgClientManager& getSingleton();
    /// The live session's message client; null without a session.
    MsgClient* getActiveClient();
};

} // namespace core
} // namespace kavri3D
