#pragma once
#include <boost/signals2/connection.hpp>
#include <util/Singleton.h>

#include "rooms/BasicRoom.h"
#include "rooms/ReloadFlag.h"

namespace kavri3D {
namespace zrk {

/// The "logon" state: the first state of the game and the one it falls back to when the
/// connection is lost. Every entry logs the session out; an entry after a log-in of this run
/// resets the lobby GUI and tells the player the connection was cut.
class RoomLogon : public BasicRoom, public Singleton<RoomLogon>, public ReloadFlag {
public:
    RoomLogon();
    ~RoomLogon() override;

    void onFrame(float dt) override;
    void createScene() override;
    void destroyScene() override;

private:
    void resetLobbyGui();
    void tellConnectionLost(bool autoLogin);

    boost::signals2::scoped_connection mBoxAnswer; // the lost-connection box's answer slot
};

} // namespace zrk
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::zrk::RoomLogon);
