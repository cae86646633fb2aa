#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <stdexcept>
#include <yake/Configuration.h>
#include <yake/Logger.h>
#include <yake/SetAside.h>
#include <yake/StringUtil.h>

#include "support/TestEnv.h"

using yake::logging::logger;
using yake::logging::Severity;

TEST(Logger, DisabledSeverityIsNotRecordedOthersAre)
{
    logger& log = logger::instance();
    log.startCapture();
    log.enableSeverity(7, false);
    log.log(Severity::Debug, "chan", "hidden");
    log.log(Severity::Error, "chan", "shown");
    log.enableAllSeverities();
    log.log(Severity::Debug, "chan", "back");
    auto lines = log.captured();
    log.stopCapture();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, "shown");
    EXPECT_EQ(lines[1].text, "back");
}

namespace {

/// The logger writes to `file` for the scope, then to nothing again.
struct LogToFile {
    explicit LogToFile(const std::string& file) { yake::logging::logger::instance().setLogFile(file); }
    ~LogToFile() { yake::logging::logger::instance().setLogFile(""); }
};

std::size_t linesOf(const std::string& text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

TEST(Logger, AControlCharacterInWhatIsLoggedNeverMakesALineOfItsOwn)
{
    zrktest::TempDir dir;
    const std::string file = dir.file("game.log");
    {
        LogToFile to(file);
        yake::logging::logger::instance().log(Severity::Error, "chat\nforged",
                                              "hi\n12:00:00 [3] ZRKMain: you were banned\r\x1b[2J\t.");
    }
    const std::string text = zrktest::readFile(file);
    EXPECT_EQ(linesOf(text), 1u);
    EXPECT_NE(text.find("[3] chat\\nforged: hi\\n12:00:00 [3] ZRKMain: you were banned\\r\\x1b[2J\\t."),
              std::string::npos);
}

TEST(Logger, ALongLogMovesAsideAtTheStartAndARunsTraceStopsAtItsBound)
{
    zrktest::TempDir dir;
    const std::string file = dir.file("game.log");
    yake::logging::logger& log = yake::logging::logger::instance();
    const bool traced = log.isSeverityEnabled(6);
    log.enableSeverity(6, true);
    // Over the bound at the start: the runs before move to ".old", replacing the last one.
    zrktest::writeFile(file + ".old", "older");
    zrktest::writeFile(file, std::string(yake::logging::logger::kMostAtStart + 1, 'x'));
    {
        LogToFile to(file);
        log.log(Severity::Error, "ZRKMain", "a new run");
    }
    EXPECT_EQ(std::filesystem::file_size(file + ".old"), yake::logging::logger::kMostAtStart + 1);
    EXPECT_EQ(linesOf(zrktest::readFile(file)), 1u);
    // Within the bound it is appended to.
    {
        LogToFile to(file);
        log.log(Severity::Error, "ZRKMain", "the next run");
    }
    EXPECT_EQ(linesOf(zrktest::readFile(file)), 2u);

    // One run's trace lines stop at the bound, with one line saying so; failures go on.
    std::filesystem::remove(file);
    {
        LogToFile to(file);
        const std::string chunk(64 * 1024, 't');
        for (std::uint64_t written = 0; written <= yake::logging::logger::kMostPerRun; written += chunk.size())
            log.log(Severity::Trace, "flash", chunk);
        log.log(Severity::Trace, "flash", "a trace too many");
        log.log(Severity::Trace, "flash", "and another");
        log.log(Severity::Error, "ZRKMain", "a failure still told");
    }
    const std::string text = zrktest::readFile(file);
    EXPECT_EQ(text.find("a trace too many"), std::string::npos);
    std::size_t said = 0;
    for (std::size_t at = text.find("trace lines stop here"); at != std::string::npos;
         at = text.find("trace lines stop here", at + 1))
        ++said;
    EXPECT_EQ(said, 1u);
    EXPECT_NE(text.find("a failure still told"), std::string::npos);
    EXPECT_LT(std::filesystem::file_size(file), yake::logging::logger::kMostPerRun + 256 * 1024);
    std::filesystem::remove(file);
    log.enableSeverity(6, traced);
}

TEST(AtomicWrite, FailingWriterLeavesTheOldFileAndNoTemporary)
{
    zrktest::TempDir dir;
    const std::string file = dir.file("settings.xml");
    zrktest::writeFile(file, "<old/>");
    EXPECT_THROW(yake::writeFileAtomically(file,
                                           [](std::ostream& out) {
                                               out << "<half";
                                               throw std::runtime_error("disk full");
                                           }),
                 std::runtime_error);
    EXPECT_EQ(zrktest::readFile(file), "<old/>");
    EXPECT_FALSE(std::ifstream(yake::temporaryFileFor(file)).good());
}

TEST(AtomicWrite, EachProcessWritesThroughATemporaryFileOfItsOwn)
{
    zrktest::TempDir dir;
    const std::string file = dir.file("ZRK_Main.xml");
    const std::string mine = yake::temporaryFileFor(file);
    EXPECT_NE(mine, file + ".tmp");
    EXPECT_NE(mine.find(std::to_string(::getpid())), std::string::npos);
    // Another game's temporary file, half written at this moment, is left alone.
    zrktest::writeFile(file + ".4242.tmp", "<other");
    yake::writeFileAtomically(file, [](std::ostream& out) { out << "<mine/>"; });
    EXPECT_EQ(zrktest::readFile(file), "<mine/>");
    EXPECT_EQ(zrktest::readFile(file + ".4242.tmp"), "<other");
}

TEST(AtomicWrite, SuccessfulWriteReplacesTheFile)
{
    zrktest::TempDir dir;
    const std::string file = dir.file("settings.xml");
    zrktest::writeFile(file, "<old/>");
    yake::writeFileAtomically(file, [](std::ostream& out) { out << "<new/>"; });
    EXPECT_EQ(zrktest::readFile(file), "<new/>");
}

TEST(ConfigurationFile, ReadsNestedKeysAndRejectsGarbage)
{
    zrktest::TempDir dir;
    zrktest::writeFile(dir.file("a.xml"), "<kavri3D><app><net><Host>h</Host></net></app></kavri3D>");
    yake::Configuration c;
    c.readFromXML(dir.file("a.xml"), "");
    EXPECT_EQ(c.get("kavri3D/app/net/Host", ""), "h");
    for (const char* bad : {"", "not xml at all", "<kavri3D><app>", "\x01\x02"}) {
        zrktest::writeFile(dir.file("b.xml"), bad);
        yake::Configuration d;
        EXPECT_ANY_THROW(d.readFromXML(dir.file("b.xml"), "")) << bad;
    }
    EXPECT_ANY_THROW(c.readFromXML(dir.file("missing.xml"), ""));
}

TEST(StringUtil, SplitParseAndPrefix)
{
    EXPECT_EQ(yake::StringUtil::split("80  50 -30", " "), (yake::StringVector{"80", "50", "-30"}));
    EXPECT_TRUE(yake::StringUtil::split("", " ").empty());
    EXPECT_EQ(yake::StringUtil::parseInt("-30"), -30);
    EXPECT_EQ(yake::StringUtil::parseInt("abc"), 0);
    EXPECT_EQ(yake::StringUtil::parseInt("99999999999999"), 0);
    EXPECT_TRUE(yake::StringUtil::startsWith("/embeded=1", "/Embeded=", true));
    EXPECT_FALSE(yake::StringUtil::startsWith("/embeded=1", "/Embeded=", false));
    EXPECT_FALSE(yake::StringUtil::startsWith("/E", "/Embeded=", true));
}

TEST(StringUtil, Utf8LengthTakesOnlyWholeWellFormedCharacters)
{
    using yake::StringUtil;
    const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"; // a, é, €, an emoji
    EXPECT_EQ(StringUtil::utf8Length(text, 0), 1u);
    EXPECT_EQ(StringUtil::utf8Length(text, 1), 2u);
    EXPECT_EQ(StringUtil::utf8Length(text, 3), 3u);
    EXPECT_EQ(StringUtil::utf8Length(text, 6), 4u);
    EXPECT_EQ(StringUtil::utf8Length(text, 2), 0u);  // inside a character
    EXPECT_EQ(StringUtil::utf8Length(text, 10), 0u); // past the end
    for (const char* bad :
         {"\xE2\x82", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80", "\xC3("})
        EXPECT_EQ(StringUtil::utf8Length(bad, 0), 0u) << bad; // cut, overlong, surrogate, past U+10FFFF
}

TEST(SetAside, EachCopyKeepsTheOnesBeforeItUpToFive)
{
    zrktest::TempDir dir;
    const std::string path = dir.file("world.db");
    for (int run = 1; run <= 7; ++run) {
        zrktest::writeFile(path, "run " + std::to_string(run));
        zrktest::writeFile(path + "-wal", "wal " + std::to_string(run));
        EXPECT_TRUE(yake::SetAside::move(path, ".broken", {"-wal", "-shm"})); // no "-shm": nothing to move
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_FALSE(std::filesystem::exists(path + "-wal"));
    }
    // The newest first; the two oldest are gone.
    EXPECT_EQ(zrktest::readFile(path + ".broken"), "run 7");
    EXPECT_EQ(zrktest::readFile(path + ".broken-wal"), "wal 7");
    EXPECT_EQ(zrktest::readFile(path + ".broken.1"), "run 6");
    EXPECT_EQ(zrktest::readFile(path + ".broken.1-wal"), "wal 6");
    EXPECT_EQ(zrktest::readFile(path + ".broken.4"), "run 3");
    EXPECT_FALSE(std::filesystem::exists(path + ".broken.5"));
    EXPECT_FALSE(yake::SetAside::move(dir.file("nothing"), ".bad"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("nothing.bad")));
}

TEST(Logger, AChannelWritesItsNameTheNamedSeverityAndTheStreamedText)
{
    const yake::logging::Channel audio("audio");
    logger& log = logger::instance();
    log.startCapture();
    audio(Severity::Error, "no sound device");
    audio(Severity::Warning, "sound ", std::string("boom.wav"), " skipped after ", 3, " tries");
    log.enableSeverity(static_cast<unsigned>(Severity::Trace), false);
    audio(Severity::Trace, "hidden");
    log.enableAllSeverities();
    audio(Severity::Debug, "detail");
    const auto lines = log.captured();
    log.stopCapture();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].severity, 3u);
    EXPECT_EQ(lines[0].channel, "audio");
    EXPECT_EQ(lines[0].text, "no sound device");
    EXPECT_EQ(lines[1].severity, 4u);
    EXPECT_EQ(lines[1].text, "sound boom.wav skipped after 3 tries");
    EXPECT_EQ(lines[2].severity, 7u);
    // The settings' numbers keep their meaning.
    EXPECT_EQ(static_cast<unsigned>(Severity::Notice), 5u);
    EXPECT_EQ(static_cast<unsigned>(Severity::Trace), logger::kTraceSeverity);
}
