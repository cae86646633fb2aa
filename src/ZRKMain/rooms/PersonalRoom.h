#pragma once
#include <util/Singleton.h>

#include "rooms/LobbyRoom.h"
#include "rooms/ReloadFlag.h"

namespace kavri3D {
namespace zrk {

/// The "zrk_personalroom" state: one game room with its eight seats before a battle. Entered
/// from the hall (or after a log-in or a battle) it only plays its transitions; the room
/// listener then dresses the seats. Entered again with the flag cleared it dresses them itself.
class PersonalRoom : public LobbyRoom, public Singleton<PersonalRoom>, public ReloadFlag {
public:
    static constexpr int kDressedEventId = gui::EventId::MessionReward;
    static constexpr int kEnteredEventId = gui::EventId::PersonalRoomEntered;
    /// The seats in the order they are dressed.
    static const char* const kSeats[8];

    PersonalRoom();
    ~PersonalRoom() override;

    void onFrame(float dt) override;
    void createScene() override;
    void destroyScene() override;

    void setRoomMode(int mode) { roomMode = mode; }
    int getRoomMode() const { return roomMode; }
    /// The entry animation of a room mode: 8 "jjcroomdropin", 9 "pveroomdropin", else "roomdropin".
    static const char* entryAnimation(int mode);

private:
    void dressSeats();
    void dressOwnRole();

    int roomMode = 0;
};

} // namespace zrk
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::zrk::PersonalRoom);
