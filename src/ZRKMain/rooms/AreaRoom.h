#pragma once
#include <util/Singleton.h>

#include "rooms/LobbyRoom.h"

namespace kavri3D {
namespace zrk {

/// The "room" state: the area (zone) choice after log-in, over the backdrop's default groups.
class AreaRoom : public LobbyRoom, public Singleton<AreaRoom> {
public:
    /// The GUI shows the area page on this id.
    static constexpr int kEnteredEventId = gui::EventId::AreaEntered;

    AreaRoom();
    ~AreaRoom() override;

    void onFrame(float dt) override;
    void createScene() override;
    void destroyScene() override;
};

} // namespace zrk
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::zrk::AreaRoom);
