#include "core/AudioOutput.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>

namespace kavri3D {
namespace core {

struct AudioOutput::Handles {
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    LPALCRENDERSAMPLESSOFT renderSamples = nullptr;
};

namespace {

bool exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

} // namespace

bool AudioOutput::deviceReachable(const char* pulseServer, const char* runtimeDir, const std::string& soundDevices)
{
    // A sound server (PulseAudio, or PipeWire speaking its protocol) ...
    if (pulseServer && *pulseServer)
        return true;
    if (runtimeDir && *runtimeDir && exists(std::string(runtimeDir) + "/pulse/native"))
        return true;
    // ... or a sound card's playback node.
    DIR* dir = ::opendir(soundDevices.c_str());
    if (!dir)
        return false;
    bool found = false;
    while (dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.compare(0, 4, "pcmC") == 0 && !name.empty() && name.back() == 'p') {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

std::unique_ptr<AudioOutput> AudioOutput::open(Kind wanted, std::string& note)
{
    note.clear();
    std::unique_ptr<AudioOutput> out(new AudioOutput);
    out->mHandles.reset(new Handles);
    Handles& h = *out->mHandles;
    if (wanted == Kind::Device) {
        // The user may point OpenAL at a driver of their choice; then it is asked regardless.
        const char* drivers = std::getenv("ALSOFT_DRIVERS");
        if ((drivers && *drivers) ||
            deviceReachable(std::getenv("PULSE_SERVER"), std::getenv("XDG_RUNTIME_DIR"), "/dev/snd")) {
            h.device = alcOpenDevice(nullptr);
            if (h.device) {
                h.context = alcCreateContext(h.device, nullptr);
                if (h.context) {
                    out->mKind = Kind::Device;
                    return out;
                }
                alcCloseDevice(h.device);
                h.device = nullptr;
            }
            note = "the sound device does not open";
        } else {
            note = "no sound device";
        }
    }
    if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback")) {
        note = "OpenAL has no loopback device";
        return nullptr;
    }
    auto openLoopback =
        reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    h.renderSamples = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    h.device = openLoopback ? openLoopback(nullptr) : nullptr;
    if (!h.device || !h.renderSamples) {
        note = "OpenAL's loopback device does not open";
        return nullptr;
    }
    const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT,
                                 ALC_STEREO_SOFT,
                                 ALC_FORMAT_TYPE_SOFT,
                                 ALC_FLOAT_SOFT,
                                 ALC_FREQUENCY,
                                 kLoopbackRate,
                                 0};
    h.context = alcCreateContext(h.device, attributes);
    if (!h.context) {
        alcCloseDevice(h.device);
        h.device = nullptr;
        note = "OpenAL's loopback device does not mix";
        return nullptr;
    }
    out->mKind = Kind::Loopback;
    return out;
}

AudioOutput::~AudioOutput()
{
    if (!mHandles)
        return;
    if (alcGetCurrentContext() == mHandles->context)
        alcMakeContextCurrent(nullptr);
    if (mHandles->context)
        alcDestroyContext(mHandles->context);
    if (mHandles->device)
        alcCloseDevice(mHandles->device);
}

void AudioOutput::makeCurrent() const
{
    if (alcGetCurrentContext() != mHandles->context)
        alcMakeContextCurrent(mHandles->context);
}

bool AudioOutput::render(float* out, int frames)
{
    if (mKind != Kind::Loopback || frames < 0)
        return false;
    mHandles->renderSamples(mHandles->device, out, frames);
    return true;
}

} // namespace core
} // namespace kavri3D
