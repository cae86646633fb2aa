// The game's sound heard through OpenAL's loopback device: what the master, channel and sound
// volumes do to what comes out, files that must not play, sounds that end, the music we ship,
// and a machine without a sound device.
#include <cmath>
#include <core/AudioManager.h>
#include <core/SoundFile.h>
#include <cstdint>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#include <yake/Logger.h>

#include "support/LoopbackEar.h"
#include "support/TestEnv.h"

using namespace kavri3D;
using core::AudioManager;
using core::AudioOutput;
using core::SoundFile;

namespace {

const std::string kSeeds = ZRK_SOUND_SEEDS;

void putLe(std::string& out, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

/// A mono 16-bit WAV of a steady tone at the loopback device's rate: 441 Hz fits 100 samples
/// a period, so the looped file is one unbroken sine.
std::string sineWav(int frames)
{
    const int rate = AudioOutput::kLoopbackRate;
    std::string data;
    for (int i = 0; i < frames; ++i)
        putLe(data,
              static_cast<std::uint16_t>(static_cast<std::int16_t>(16000 * std::sin(2 * M_PI * 441.0 * i / rate))), 2);
    std::string wav = "RIFF";
    putLe(wav, static_cast<std::uint32_t>(36 + data.size()), 4);
    wav += "WAVEfmt ";
    putLe(wav, 16, 4);
    putLe(wav, 1, 2); // PCM
    putLe(wav, 1, 2); // mono
    putLe(wav, rate, 4);
    putLe(wav, rate * 2, 4);
    putLe(wav, 2, 2);
    putLe(wav, 16, 2);
    wav += "data";
    putLe(wav, static_cast<std::uint32_t>(data.size()), 4);
    return wav + data;
}

struct LoopbackFixture : ::testing::Test {
    zrktest::TempDir dir;
    AudioManager audio{AudioOutput::Kind::Loopback};
    std::string tone = dir.file("tone.wav");

    LoopbackFixture()
    {
        zrktest::writeFile(tone, sineWav(4410));
        yake::logging::logger::instance().enableAllSeverities();
        yake::logging::logger::instance().startCapture();
    }
    ~LoopbackFixture() override { yake::logging::logger::instance().stopCapture(); }

    std::size_t audioLines() const
    {
        std::size_t n = 0;
        for (const auto& r : yake::logging::logger::instance().captured())
            n += r.channel == "audio" ? 1 : 0;
        return n;
    }
    double rms() { return zrktest::loopbackRms(audio, AudioOutput::kLoopbackRate); }
};

} // namespace

TEST_F(LoopbackFixture, TheMasterAndTheSoundsOwnVolumeScaleWhatIsHeard)
{
    const int id = audio.playSound(tone, AudioManager::kMusic, 1.0f);
    ASSERT_GT(id, 0);
    ASSERT_NE(audio.output(), nullptr);
    EXPECT_EQ(audio.output()->kind(), AudioOutput::Kind::Loopback);
    const double full = rms();
    EXPECT_GT(full, 0.1);

    audio.setVolume(0.25f); // the listener's gain
    EXPECT_NEAR(rms() / full, 0.25, 0.005);
    audio.setVolume(0.0f);
    EXPECT_EQ(rms(), 0.0);
    audio.setVolume(std::nanf(""));
    EXPECT_EQ(rms(), 0.0);
    EXPECT_TRUE(std::isnan(audio.getVolume())); // kept as set, heard as silence

    // The sound's own gain, through the source the settings event uses.
    audio.setVolume(1.0f);
    boost::shared_ptr<yake::audio::ISource> source = core::DefaultAudioHelper::getSoundSource(id);
    ASSERT_TRUE(source);
    source->setVolume(0.25f);
    EXPECT_FLOAT_EQ(source->getVolume(), 0.25f);
    EXPECT_NEAR(rms() / full, 0.25, 0.005);
    source->setVolume(0.0f);
    EXPECT_EQ(rms(), 0.0);
    source->setVolume(1.0f);
    EXPECT_NEAR(rms() / full, 1.0, 0.01); // music goes round and round

    EXPECT_TRUE(audio.destroySound(id));
    EXPECT_FALSE(core::DefaultAudioHelper::getSoundSource(id));
    EXPECT_FLOAT_EQ(source->getVolume(), -1.0f);
    source->setVolume(1.0f); // its sound is gone: nothing happens
    EXPECT_EQ(rms(), 0.0);
    EXPECT_FALSE(audio.destroySound(id));
    EXPECT_EQ(audioLines(), 1u); // the silent device, said once
}

TEST_F(LoopbackFixture, ASoundThatIsNotMusicPlaysOnceAndIsThenGone)
{
    const int effect = audio.playSound(tone, 1, 1.0f);
    const int music = audio.playSound(tone, AudioManager::kMusic, 1.0f);
    ASSERT_GT(effect, 0);
    EXPECT_EQ(audio.playingCount(), 2u);
    std::vector<float> mix;
    audio.renderLoopback(mix, 4410 * 3);
    EXPECT_FALSE(audio.isPlaying(effect));
    EXPECT_FALSE(core::DefaultAudioHelper::getSoundSource(effect));
    EXPECT_FALSE(audio.setSoundVolume(effect, 0.5f));
    EXPECT_TRUE(audio.isPlaying(music));
    EXPECT_EQ(audio.playingCount(), 1u);
    // The next sound frees what has ended.
    const int next = audio.playSound(tone, 1, 1.0f);
    EXPECT_NE(next, effect);
    EXPECT_FALSE(audio.destroySound(effect));
    EXPECT_EQ(audio.playingCount(), 2u);
}

TEST_F(LoopbackFixture, FilesThatAreNotWholeSoundsDoNotPlayAndSayWhyOnce)
{
    const std::string empty = dir.file("empty.mp3");
    zrktest::writeFile(empty, "");
    const std::string text = dir.file("text.mp3");
    zrktest::writeFile(text, "<html>not found</html>");
    const std::string huge = dir.file("huge.ogg");
    const int fd = ::open(huge.c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(SoundFile::kFileLimit) + 1), 0);
    ::close(fd);
    // A WAV cut inside its samples, and an OGG cut inside a page; the MP3 we ship, cut in half.
    const std::string wav = sineWav(4410);
    const std::string cutWav = dir.file("cut.wav");
    zrktest::writeFile(cutWav, wav.substr(0, wav.size() / 2));
    const std::string cutMp3 = dir.file("cut.mp3");
    zrktest::writeFile(cutMp3, zrktest::readFile(zrktest::binFolder() + "/music_bg0.mp3").substr(0, 50000));
    // The same, its length tag counting frames only: the decoder's count of frames is all that
    // tells the cut (the bytes field goes, four zeros after the tag keep the frame's size).
    std::string untagged = zrktest::readFile(zrktest::binFolder() + "/music_bg0.mp3");
    const std::size_t xing = untagged.find("Xing");
    ASSERT_NE(xing, std::string::npos);
    ASSERT_EQ(static_cast<unsigned char>(untagged[xing + 7]), 15u); // frames, bytes, table, quality
    untagged[xing + 7] = 13;
    untagged.erase(xing + 12, 4);
    untagged.insert(xing + 116, 4, '\0');
    const std::string cutFrames = dir.file("cutframes.mp3");
    zrktest::writeFile(cutFrames, untagged.substr(0, 50000));
    const std::string zeroFrames = dir.file("zero.wav");
    zrktest::writeFile(zeroFrames, sineWav(0));

    const std::pair<std::string, std::string> cases[] = {
        {dir.file("missing.mp3"), "missing"},
        {empty, "empty"},
        {text, "not a sound (Format not recognised.)"},
        {huge, "larger than 33554432 bytes"},
        {cutWav, "cut short"},
        {kSeeds + "/cut.ogg", "cut short"},
        {kSeeds + "/cut.wav", "cut short"},
        {cutMp3, "cut short"},
        {cutFrames, "cut short"},
        {zeroFrames, "holds no sound"},
        {kSeeds + "/garbage.bin", "not a sound (Format not recognised.)"},
        {dir.path(), "unreadable"},
    };
    for (const auto& c : cases) {
        yake::logging::logger::instance().startCapture();
        EXPECT_EQ(audio.playSound(c.first, AudioManager::kMusic, 1.0f), -1) << c.first;
        EXPECT_EQ(yake::logging::logger::instance().countCaptured("audio", "sound " + c.first +
                                                                               " cannot be played: " + c.second),
                  1u)
            << c.first;
        EXPECT_EQ(audioLines(), 1u) << c.first;
    }
    EXPECT_EQ(audio.playingCount(), 0u);
    EXPECT_EQ(audio.output(), nullptr); // nothing played: no device was opened
}

TEST(AudioManagerTest, ASourceOfAnEarlierManagerNeverReachesALaterOnesSound)
{
    zrktest::TempDir dir;
    const std::string tone = dir.file("tone.wav");
    zrktest::writeFile(tone, sineWav(4410));
    boost::shared_ptr<yake::audio::ISource> stale;
    {
        AudioManager first(AudioOutput::Kind::Loopback);
        stale = core::DefaultAudioHelper::getSoundSource(first.playSound(tone, AudioManager::kMusic, 1.0f));
        ASSERT_TRUE(stale);
    }
    EXPECT_FLOAT_EQ(stale->getVolume(), -1.0f);
    AudioManager second(AudioOutput::Kind::Loopback);
    const int id = second.playSound(tone, AudioManager::kMusic, 1.0f);
    ASSERT_GT(id, 0);
    stale->setVolume(0.0f);
    EXPECT_FLOAT_EQ(stale->getVolume(), -1.0f);
    EXPECT_FLOAT_EQ(second.getSoundVolume(id), 1.0f);
}

TEST(SoundFileTest, TheSmallFormatsAndOurMusicDecodeWhole)
{
    struct Expect {
        std::string file;
        int channels;
        int rate;
        std::size_t frames;
    };
    for (const Expect& e : {Expect{"tiny.wav", 1, 8000, 200}, Expect{"tiny.ogg", 2, 8000, 800},
                            Expect{"tiny.flac", 1, 8000, 300}, Expect{"tiny.mp3", 1, 8000, 1600}}) {
        SoundFile sound;
        std::string error;
        ASSERT_TRUE(sound.load(kSeeds + "/" + e.file, error)) << e.file << ": " << error;
        EXPECT_EQ(sound.channels(), e.channels) << e.file;
        EXPECT_EQ(sound.sampleRate(), e.rate) << e.file;
        EXPECT_EQ(sound.frames(), e.frames) << e.file;
        EXPECT_EQ(sound.samples().size(), e.frames * static_cast<std::size_t>(e.channels)) << e.file;
    }
    // The loops the game plays: several seconds each, audible from start to end.
    for (const char* name : {"music_bg0.mp3", "music_bg1.mp3", "music_bg2.mp3"}) {
        SoundFile sound;
        std::string error;
        ASSERT_TRUE(sound.load(zrktest::binFolder() + "/" + name, error)) << name << ": " << error;
        EXPECT_GT(sound.frames(), static_cast<std::size_t>(sound.sampleRate()) * 5) << name;
        const std::size_t quarter = sound.samples().size() / 4;
        for (std::size_t part = 0; part < 4; ++part) {
            double sum = 0;
            for (std::size_t i = part * quarter; i < (part + 1) * quarter; ++i)
                sum += static_cast<double>(sound.samples()[i]) * sound.samples()[i];
            EXPECT_GT(std::sqrt(sum / static_cast<double>(quarter)), 1000.0) << name << " part " << part;
        }
    }
}

TEST(AudioOutputTest, ASoundDeviceIsAServerOrAPlaybackNode)
{
    zrktest::TempDir runtime;
    zrktest::TempDir snd;
    EXPECT_FALSE(AudioOutput::deviceReachable(nullptr, nullptr, "/nonexistent"));
    EXPECT_FALSE(AudioOutput::deviceReachable("", runtime.path().c_str(), snd.path()));
    EXPECT_TRUE(AudioOutput::deviceReachable("unix:/run/pulse/native", nullptr, "/nonexistent"));
    zrktest::writeFile(snd.file("controlC0"), "");
    zrktest::writeFile(snd.file("pcmC0D0c"), ""); // a microphone plays nothing
    EXPECT_FALSE(AudioOutput::deviceReachable(nullptr, nullptr, snd.path()));
    zrktest::writeFile(snd.file("pcmC0D0p"), "");
    EXPECT_TRUE(AudioOutput::deviceReachable(nullptr, nullptr, snd.path()));
    ASSERT_EQ(::mkdir((runtime.path() + "/pulse").c_str(), 0700), 0);
    zrktest::writeFile(runtime.file("pulse/native"), "");
    EXPECT_TRUE(AudioOutput::deviceReachable(nullptr, runtime.path().c_str(), "/nonexistent"));
}

TEST(AudioOutputTest, WithoutASoundDeviceTheGamePlaysOnSilentlyWithItsVolumes)
{
    // The game's own choice of output, on a machine whose sound server is not there.
    zrktest::TempDir dir;
    zrktest::ScopedEnv forced("ZRK_AUDIO_OUTPUT", "");
    zrktest::ScopedEnv server("PULSE_SERVER", "");
    zrktest::ScopedEnv drivers("ALSOFT_DRIVERS", "");
    zrktest::ScopedEnv runtime("XDG_RUNTIME_DIR", dir.path());
    const bool card = AudioOutput::deviceReachable(nullptr, nullptr, "/dev/snd");
    const std::string tone = dir.file("tone.wav");
    zrktest::writeFile(tone, sineWav(4410));
    yake::logging::logger::instance().enableAllSeverities();
    yake::logging::logger::instance().startCapture();
    {
        zrktest::StderrCapture quiet(dir.file("stderr"));
        AudioManager audio;
        audio.setVolume(0.5f);
        const int id = audio.playSound(tone, AudioManager::kMusic, 0.75f);
        ASSERT_GT(id, 0);
        EXPECT_TRUE(audio.isPlaying(id));
        EXPECT_FLOAT_EQ(audio.getVolume(), 0.5f);
        EXPECT_FLOAT_EQ(audio.getSoundVolume(id), 0.75f);
        if (!card) {
            ASSERT_NE(audio.output(), nullptr);
            EXPECT_EQ(audio.output()->kind(), AudioOutput::Kind::Loopback);
            EXPECT_EQ(
                yake::logging::logger::instance().countCaptured("audio", "no sound device: the game plays silently"),
                1u);
        }
        audio.playSound(tone, AudioManager::kMusic, 1.0f);
        audio.destroySound(id);
    }
    std::size_t lines = 0;
    for (const auto& r : yake::logging::logger::instance().captured())
        lines += r.channel == "audio" ? 1 : 0;
    yake::logging::logger::instance().stopCapture();
    if (!card) {
        // One line in the log, nothing from OpenAL or the sound system on the terminal.
        EXPECT_EQ(lines, 1u);
        EXPECT_EQ(zrktest::readFile(dir.file("stderr")), "");
    }
}
