#pragma once

namespace kavri3D {
namespace core {
class AudioManager;
}
} // namespace kavri3D

namespace zrktest {

/// What the game's silent loopback device plays next: the RMS of `frames` stereo frames, mixed
/// after a tenth of a second in which the gains settle. 0 when nothing can be mixed.
double loopbackRms(kavri3D::core::AudioManager& audio, int frames);

} // namespace zrktest
