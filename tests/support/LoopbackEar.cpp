#include "support/LoopbackEar.h"

#include <cmath>
#include <core/AudioManager.h>
#include <vector>

namespace zrktest {

double loopbackRms(kavri3D::core::AudioManager& audio, int frames)
{
    std::vector<float> mix;
    if (!audio.renderLoopback(mix, kavri3D::core::AudioOutput::kLoopbackRate / 10) ||
        !audio.renderLoopback(mix, frames) || mix.empty())
        return 0.0;
    double sum = 0;
    for (float s : mix)
        sum += static_cast<double>(s) * s;
    return std::sqrt(sum / static_cast<double>(mix.size()));
}

} // namespace zrktest
