#include "shell/AudioVolumes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <core/AudioManager.h>
#include <core/BlackBoard.h>
#include <core/Engine.h>
#include <util/XmlConfigHelper.h>
#include <yake/StringUtil.h>

#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {

// A volume is a fraction: the master from silent to full, a channel also below silent (the
// sign travels in the settings text). A hand-edited number out of range is held to it, so
// that it neither plays nor comes back wrapped round.
float masterVolume(float v) { return std::isfinite(v) ? std::min(std::max(v, 0.0f), 1.0f) : 0.5f; }
float channelVolume(float v) { return std::isfinite(v) ? std::min(std::max(v, -1.0f), 1.0f) : 1.0f; }

} // namespace

std::vector<int> AudioVolumes::levels(const std::string& text)
{
    std::vector<int> levels;
    for (const std::string& item : yake::StringUtil::split(text, " ")) {
        // A hand-edited value beyond any int still means "as loud as it goes".
        char* end = nullptr;
        const long long v = std::strtoll(item.c_str(), &end, 10);
        const long long low = levels.empty() ? 0 : -100;
        levels.push_back(end == item.c_str() ? 0 : static_cast<int>(std::clamp<long long>(v, low, 100)));
    }
    return levels;
}

void AudioVolumes::apply(core::XmlConfigHelper* config)
{
    const std::string text = config ? config->getStringVal("audio/volume", "") : std::string();
    const std::vector<int> saved = levels(text);
    if (config && !saved.empty()) {
        // Kept in range in the settings too, so the file never gets back what was not used.
        std::ostringstream os;
        for (std::size_t i = 0; i < saved.size(); ++i)
            os << (i ? " " : "") << saved[i];
        config->setStringVal("audio/volume", os.str());
    }
    core::AudioManager* audio = core::AudioManager::getSingletonPtr();
    if (!audio) {
        writeLog(kLogError, "ZRKMain", "no audio manager: saved volumes not applied");
        return;
    }
    if (saved.empty()) {
        audio->setVolume(0.5f);
        return;
    }
    audio->setVolume(saved[0] / 100.0f);
    for (std::size_t i = 1; i < saved.size(); ++i)
        core::DefaultAudioHelper::setVolume(static_cast<int>(i - 1), saved[i] / 100.0f);
}

void AudioVolumes::save(core::XmlConfigHelper* config)
{
    core::Engine* engine = core::Engine::getSingletonPtr();
    core::AudioManager* audio = engine ? engine->getAudioManager() : nullptr;
    if (!audio || !config)
        return;
    // In range before they are written: the master from 0 to 1, the channels from -1 to 1.
    std::ostringstream os;
    os << static_cast<int>(masterVolume(audio->getVolume()) * 100.0f);
    for (int channel = 0; channel < 2; ++channel) {
        float v = channelVolume(core::DefaultAudioHelper::getVolume(channel));
        os << ' ';
        if (v < 0)
            os << '-';
        os << static_cast<int>(std::fabs(v) * 100.0f + 0.5f);
    }
    config->setStringVal("audio/volume", os.str());
}

} // namespace zrk
} // namespace kavri3D
