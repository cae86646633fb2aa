#pragma once
#include <string>
#include <vector>

namespace kavri3D {
namespace core {
class XmlConfigHelper;
} // namespace core

namespace zrk {

/// The player's sound levels as the settings keep them: "audio/volume" holds the master, then
/// the two channels, as percentages ("80 50 -30").
class AudioVolumes {
public:
    /// The percentages of an "audio/volume" text, each in its range: the master 0 to 100, the
    /// channels -100 to 100; an unreadable item reads 0.
    static std::vector<int> levels(const std::string& text);
    /// Sets the audio volumes from the saved text (master, then channels), writing the text
    /// back held in range; without settings the master plays at half.
    static void apply(core::XmlConfigHelper* config);
    /// Writes the playing volumes into the settings; nothing without audio or settings.
    static void save(core::XmlConfigHelper* config);
};

} // namespace zrk
} // namespace kavri3D
