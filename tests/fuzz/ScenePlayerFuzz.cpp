// "res/GUI/sceneplayer.json", the log-in screen's camera tour, image sets and tips: read,
// then flown for a while; every key frame read must be a finite point.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "FuzzSupport.h"
#include "rooms/ScenePlayer.h"

using namespace kavri3D;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    zrk::ScenePlayer tour;
    tour.load(zrkfuzz::FuzzSupport::write("sceneplayer.json", data, size));
    for (const zrk::ScenePlayer::KeyFrame& k : tour.getKeyFrames())
        if (!std::isfinite(k.position.x) || !std::isfinite(k.position.y) || !std::isfinite(k.position.z) ||
            !std::isfinite(k.lookAt.x) || !std::isfinite(k.lookAt.y) || !std::isfinite(k.lookAt.z)) {
            std::fprintf(stderr, "a key frame that is no point was kept\n");
            std::abort();
        }
    if (tour.getCycleLength() > zrk::ScenePlayer::kMaxCycleLength) {
        std::fprintf(stderr, "a cycle of %u points was kept\n", tour.getCycleLength());
        std::abort();
    }
    for (float dt : {0.0f, 0.016f, 1.0f, 1000.0f, -1.0f, 0.5f})
        tour.update(dt);
    const zrk::ScenePlayer::Lists lists = tour.getImagesets();
    (void)lists;
    return 0;
}
