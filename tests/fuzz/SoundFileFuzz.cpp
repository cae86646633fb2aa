// A music or sound file as the game plays it: read and decoded whole, then started on the
// silent loopback device and mixed for a moment. Whatever the bytes, a refused file leaves
// nothing behind and a taken one is a whole, playable sound whose mix stays finite.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <core/AudioManager.h>
#include <core/SoundFile.h>
#include <vector>

#include "FuzzSupport.h"

using namespace kavri3D;

namespace {

void fail(const char* what)
{
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static core::AudioManager* audio =
        (zrkfuzz::FuzzSupport::quiet(), new core::AudioManager(core::AudioOutput::Kind::Loopback));
    const std::string bytes = zrkfuzz::FuzzSupport::text(data, size);
    core::SoundFile sound;
    std::string error;
    const bool taken = sound.decode(bytes, error);
    if (!taken) {
        if (error.empty() || !sound.samples().empty())
            fail("a refused sound says nothing or keeps samples");
        return 0;
    }
    if ((sound.channels() != 1 && sound.channels() != 2) || sound.frames() == 0 ||
        sound.samples().size() != sound.frames() * static_cast<std::size_t>(sound.channels()) ||
        sound.samples().size() > core::SoundFile::kSampleLimit)
        fail("a taken sound is not whole");

    const int id = audio->playSound(zrkfuzz::FuzzSupport::write("sound", data, size), core::AudioManager::kMusic, 1.0f);
    if (id < 0)
        fail("a sound that decodes does not play");
    std::vector<float> mix;
    audio->renderLoopback(mix, 512);
    for (float s : mix)
        if (!std::isfinite(s))
            fail("the mix is not finite");
    audio->destroySound(id);
    return 0;
}
