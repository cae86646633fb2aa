// Settings baked into every test and fuzz program (and inherited by the games they start).
#include <cstdlib>

namespace {
// The world's passwords are hashed at the least cost; the format stays the game's.
const int kCheapPasswords = setenv("ZRK_PASSWORD_COST", "min", 0);
// The tests hear the game through the silent loopback device, never the machine's speakers.
const int kSilentAudio = setenv("ZRK_AUDIO_OUTPUT", "loopback", 0);
} // namespace
