#pragma once
#include <util/Singleton.h>

#include "rooms/LobbyRoom.h"

namespace kavri3D {
namespace zrk {

/// The "playerhall" state: a zone's hall with its list of game rooms, players and chat.
class PlayerHallRoom : public LobbyRoom, public Singleton<PlayerHallRoom> {
public:
    static constexpr int kEnteredEventId = gui::EventId::HallEntered;
    static constexpr int kLeftEventId = gui::EventId::HallLeft;

    PlayerHallRoom();
    ~PlayerHallRoom() override;

    void onFrame(float dt) override;
    void createScene() override;
    void destroyScene() override;
};

} // namespace zrk
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::zrk::PlayerHallRoom);
