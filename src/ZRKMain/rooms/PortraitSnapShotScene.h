#pragma once
#include <cstddef>

#include "rooms/PlayerSnapShotScene.h"

namespace kavri3D {
namespace zrk {

/// The portrait of one row of the placement table; only its set-up is its own.
template <std::size_t Row> class PortraitSnapShotScene : public PlayerSnapShotScene {
    static_assert(Row < sizeof kPlacements / sizeof kPlacements[0], "no such portrait");

public:
    explicit PortraitSnapShotScene(core::GrafixScene* scene) : PlayerSnapShotScene(scene) {}
    void setupScene() override { setupPortrait(kPlacements[Row]); }
};

typedef PortraitSnapShotScene<0> MySelfSnapShotScene;
typedef PortraitSnapShotScene<1> Red0SnapShotScene;
typedef PortraitSnapShotScene<2> Red1SnapShotScene;
typedef PortraitSnapShotScene<3> Red2SnapShotScene;
typedef PortraitSnapShotScene<4> Red3SnapShotScene;
typedef PortraitSnapShotScene<5> Blue0SnapShotScene;
typedef PortraitSnapShotScene<6> Blue1SnapShotScene;
typedef PortraitSnapShotScene<7> Blue2SnapShotScene;
typedef PortraitSnapShotScene<8> Blue3SnapShotScene;
typedef PortraitSnapShotScene<9> ShowViewModelSnapShotScene;

} // namespace zrk
} // namespace kavri3D
