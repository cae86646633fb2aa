#pragma once
#include <memory>
#include <string>

namespace kavri3D {
namespace core {

/// Where the game's sound goes: the machine's sound device through OpenAL, or, where there is
/// none (a server without a sound card, a virtual display, CI), OpenAL's loopback device that
/// nobody listens to. On the loopback device the sounds are mixed only when asked, so a test can
/// hear what the game plays; the game itself stays silent and goes on as with a sound card.
class AudioOutput {
public:
    enum class Kind { Device, Loopback };
    /// The loopback device's mix: stereo float frames at this rate.
    static const int kLoopbackRate = 44100;

    /// Opens the device `wanted` asks for; a device that is not there or does not open gives the
    /// loopback device, and `note` then says why (empty when the wanted output opened). Null
    /// only when OpenAL cannot even mix into memory.
    static std::unique_ptr<AudioOutput> open(Kind wanted, std::string& note);
    /// Whether a sound device can be reached at all, without asking OpenAL: asking it where
    /// there is none costs time and fills stderr with the sound system's complaints.
    /// `pulseServer` and `runtimeDir` are the PULSE_SERVER and XDG_RUNTIME_DIR settings,
    /// `soundDevices` the folder of the sound card nodes.
    static bool deviceReachable(const char* pulseServer, const char* runtimeDir, const std::string& soundDevices);

    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    Kind kind() const { return mKind; }
    /// Makes this output's context the one OpenAL's calls go to.
    void makeCurrent() const;
    /// Loopback only: mixes `frames` stereo frames into `out` (2 * frames floats).
    bool render(float* out, int frames);

private:
    AudioOutput() = default;
    struct Handles;
    std::unique_ptr<Handles> mHandles;
    Kind mKind = Kind::Loopback;
};

} // namespace core
} // namespace kavri3D
