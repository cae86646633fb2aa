// What the game writes is the player's alone (0600 files, 0700 folders, whatever the umask), and
// nothing it opens, writes or cleans follows a link or waits on a FIFO planted where its file
// or folder should be. Each case plants the link or the FIFO first.
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <win32/Windows.h>
#include <yake/Configuration.h>
#include <yake/Logger.h>
#include <yake/PlayerFiles.h>
#include <yake/TextFormat.h>

#include "support/ForeignFile.h"
#include "support/TestEnv.h"

using yake::PlayerFiles;

namespace {

/// The process's umask for the scope.
struct ScopedUmask {
    mode_t old;
    explicit ScopedUmask(mode_t mask) : old(::umask(mask)) {}
    ~ScopedUmask() { ::umask(old); }
};

int modeOf(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}

void plantFifo(const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0666), 0) << path; }

/// How long a call took, in seconds: a FIFO must never hold one up.
template <class Fn> double secondsOf(Fn fn)
{
    const auto start = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int deleteByShell(const std::string& pattern)
{
    std::wstring wide = win32WideFromUtf8(pattern);
    wchar_t from[260] = {};
    wide.copy(from, wide.size());
    SHFILEOPSTRUCTW op{nullptr, FO_DELETE, from, nullptr, FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI};
    return SHFileOperationW(&op);
}

} // namespace

TEST(PlayerFiles, FilesAre0600AndFolders0700WhateverTheUmask)
{
    zrktest::TempDir dir;
    for (mode_t mask : {mode_t(0), mode_t(022), mode_t(0277)}) {
        ScopedUmask umask(mask);
        const std::string folder = dir.file("m" + std::to_string(mask) + "/a/b");
        ASSERT_TRUE(PlayerFiles::makeFolder(folder));
        EXPECT_EQ(modeOf(folder), 0700) << mask;
        EXPECT_EQ(modeOf(dir.file("m" + std::to_string(mask) + "/a")), 0700) << mask;
        const int fd = PlayerFiles::open(folder + "/f", O_WRONLY | O_CREAT);
        ASSERT_GE(fd, 0);
        ::close(fd);
        EXPECT_EQ(modeOf(folder + "/f"), 0600) << mask;
    }
    // What an older version left open to others is closed again.
    zrktest::writeFile(dir.file("old/world.db"), "w");
    ::chmod(dir.file("old").c_str(), 0755);
    ::chmod(dir.file("old/world.db").c_str(), 0644);
    ASSERT_TRUE(PlayerFiles::makeFolder(dir.file("old")));
    EXPECT_EQ(modeOf(dir.file("old")), 0755); // a folder that is there is not the cache's to change
    EXPECT_EQ(PlayerFiles::claimFolder(dir.file("old")), PlayerFiles::Folder::Tightened); // the data folder's
    EXPECT_EQ(modeOf(dir.file("old")), 0700);
    const int fd = PlayerFiles::open(dir.file("old/world.db"), O_RDONLY);
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_EQ(modeOf(dir.file("old/world.db")), 0600);
}

TEST(PlayerFiles, ALinkOrAFifoWhereAFileOrFolderShouldBeIsRefusedAtOnce)
{
    zrktest::TempDir dir;
    zrktest::writeFile(dir.file("victim"), "keep me");
    const int victimMode = modeOf(dir.file("victim"));
    std::filesystem::create_symlink(dir.file("victim"), dir.file("link"));
    std::string why;
    EXPECT_LT(PlayerFiles::open(dir.file("link"), O_WRONLY | O_CREAT | O_TRUNC, &why), 0);
    EXPECT_NE(why.find("link"), std::string::npos) << why;
    EXPECT_EQ(zrktest::readFile(dir.file("victim")), "keep me");
    EXPECT_EQ(modeOf(dir.file("victim")), victimMode);

    plantFifo(dir.file("fifo"));
    for (int flags : {O_RDONLY, O_WRONLY | O_CREAT, O_RDWR | O_CREAT | O_APPEND})
        EXPECT_LT(secondsOf([&] { EXPECT_LT(PlayerFiles::open(dir.file("fifo"), flags), 0); }), 1.0);
    EXPECT_FALSE(PlayerFiles::plainOrAbsent(dir.file("fifo")));
    EXPECT_FALSE(PlayerFiles::plainOrAbsent(dir.file("link")));
    EXPECT_TRUE(PlayerFiles::plainOrAbsent(dir.file("victim")));
    EXPECT_TRUE(PlayerFiles::plainOrAbsent(dir.file("none")));

    std::filesystem::create_directory(dir.file("elsewhere"));
    std::filesystem::create_directory_symlink(dir.file("elsewhere"), dir.file("folder"));
    EXPECT_FALSE(PlayerFiles::makeFolder(dir.file("folder")));
    EXPECT_FALSE(PlayerFiles::makeFolder(dir.file("victim")));
}

TEST(PlayerFiles, TheDataFolderIsTightenedWhenItIsThePlayersAndRefusedWhenNot)
{
    zrktest::TempDir dir;
    std::string why;
    EXPECT_EQ(PlayerFiles::claimFolder(dir.file("data/kavri3D"), &why), PlayerFiles::Folder::Made);
    EXPECT_EQ(modeOf(dir.file("data/kavri3D")), 0700);
    EXPECT_EQ(PlayerFiles::claimFolder(dir.file("data/kavri3D")), PlayerFiles::Folder::Private);
    ::chmod(dir.file("data/kavri3D").c_str(), 0777);
    EXPECT_EQ(PlayerFiles::claimFolder(dir.file("data/kavri3D")), PlayerFiles::Folder::Tightened);
    EXPECT_EQ(modeOf(dir.file("data/kavri3D")), 0700);
    zrktest::writeFile(dir.file("plain"), "x");
    EXPECT_EQ(PlayerFiles::claimFolder(dir.file("plain"), &why), PlayerFiles::Folder::Foreign);
    // Another account's folder (made so where the test may give files away).
    std::filesystem::create_directory(dir.file("theirs"));
    ::chmod(dir.file("theirs").c_str(), 0755);
    const uid_t other = ::geteuid() == 65534 ? 0 : 65534;
    if (::chown(dir.file("theirs").c_str(), other, other) == 0) {
        EXPECT_EQ(PlayerFiles::claimFolder(dir.file("theirs"), &why), PlayerFiles::Folder::Foreign);
        EXPECT_NE(why.find("belongs to user " + std::to_string(other)), std::string::npos) << why;
        EXPECT_EQ(modeOf(dir.file("theirs")), 0755);
    }
}

TEST(PlayerFiles, TheCacheCleanUpRemovesALinkedFolderslinkNeverWhatItPointsTo)
{
    zrktest::TempDir dir;
    zrktest::writeFile(dir.file("precious/a.txt"), "a");
    zrktest::writeFile(dir.file("precious/sub/b.txt"), "b");
    std::filesystem::create_directory(dir.file("cache"));
    std::filesystem::create_directory_symlink(dir.file("precious"), dir.file("cache/temp"));
    // A link inside the real folder: the link goes, its target stays.
    zrktest::writeFile(dir.file("cache/library/own.bin"), "x");
    std::filesystem::create_directory_symlink(dir.file("precious"), dir.file("cache/library/inner"));
    std::filesystem::create_directory(dir.file("cache/library/deep"));
    std::filesystem::create_symlink(dir.file("precious/a.txt"), dir.file("cache/library/deep/file-link"));

    deleteByShell(dir.file("cache/temp/*.*"));
    deleteByShell(dir.file("cache/library/*.*"));
    EXPECT_EQ(zrktest::readFile(dir.file("precious/a.txt")), "a");
    EXPECT_EQ(zrktest::readFile(dir.file("precious/sub/b.txt")), "b");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir.file("cache/temp"))));
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("cache/library")));
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("cache/library")));
}

TEST(PlayerFiles, TheLogReplacesALinkFifoOrAnotherUsersFileHidesTheServersSecretAndIs0600)
{
    zrktest::TempDir dir;
    yake::logging::logger& log = yake::logging::logger::instance();
    // Each planted thing goes as itself and the log is made afresh in its place: a run never
    // goes without its log because of it, nor writes through or into it.
    zrktest::writeFile(dir.file("victim"), "keep me");
    std::filesystem::create_symlink(dir.file("victim"), dir.file("game.log"));
    EXPECT_TRUE(log.setLogFile(dir.file("game.log")));
    log.log(yake::logging::Severity::Error, "ZRKMain", "through the link?");
    EXPECT_EQ(zrktest::readFile(dir.file("victim")), "keep me");
    EXPECT_NE(zrktest::readFile(dir.file("game.log")).find("through the link?"), std::string::npos);
    EXPECT_TRUE(PlayerFiles::isPlayersFile(dir.file("game.log"), false)); // a plain file, no more a link
    plantFifo(dir.file("fifo.log"));
    EXPECT_LT(secondsOf([&] { EXPECT_TRUE(log.setLogFile(dir.file("fifo.log"))); }), 1.0);
    EXPECT_TRUE(PlayerFiles::isPlayersFile(dir.file("fifo.log"), false));
    // Another user's file anybody may write, seen through a second name of it; a long one is
    // not moved aside as the player's own would be.
    zrktest::writeFile(dir.file("theirs.log"), std::string(yake::logging::logger::kMostAtStart + 1, 't'));
    ::chmod(dir.file("theirs.log").c_str(), 0666);
    std::filesystem::create_hard_link(dir.file("theirs.log"), dir.file("theirs"));
    zrktest::ForeignFile foreign(dir.file("theirs.log"));
    EXPECT_TRUE(log.setLogFile(dir.file("theirs.log")));
    log.log(yake::logging::Severity::Error, "ZRKMain", "into theirs?");
    EXPECT_EQ(std::filesystem::file_size(dir.file("theirs")), yake::logging::logger::kMostAtStart + 1);
    EXPECT_FALSE(std::filesystem::exists(dir.file("theirs.log.old")));
    EXPECT_TRUE(PlayerFiles::isPlayersFile(dir.file("theirs.log"), false));

    ScopedUmask open(0);
    ASSERT_TRUE(log.setLogFile(dir.file("own.log")));
    const std::string secret = "0123456789abcdef0123456789abcdef";
    log.hide(secret);
    log.hide("short"); // too short to hide: it would blot out ordinary words
    log.startCapture();
    log.log(yake::logging::Severity::Error, "transport",
            "download of http://zrk-files.invalid/" + secret + "/files/a failed, short of luck");
    const auto captured = log.captured();
    log.stopCapture();
    log.reveal(secret);
    log.log(yake::logging::Severity::Error, "transport", "revealed " + secret);
    log.setLogFile("");
    const std::string text = zrktest::readFile(dir.file("own.log"));
    EXPECT_NE(text.find("http://zrk-files.invalid/*/files/a failed, short of luck"), std::string::npos) << text;
    EXPECT_EQ(text.find(secret + "/files"), std::string::npos);
    EXPECT_NE(text.find("revealed " + secret), std::string::npos);
    ASSERT_EQ(captured.size(), 1u);
    EXPECT_EQ(captured[0].text.find(secret), std::string::npos);
    EXPECT_EQ(modeOf(dir.file("own.log")), 0600);
}

TEST(PlayerFiles, TheSettingsTemporaryFileIsMadeAfreshNeverWrittenThroughALink)
{
    zrktest::TempDir dir;
    ScopedUmask open(0);
    const std::string file = dir.file("ZRK_Main.xml");
    zrktest::writeFile(dir.file("victim"), "keep me");
    std::filesystem::create_symlink(dir.file("victim"), yake::temporaryFileFor(file));
    yake::writeFileAtomically(file, [](std::ostream& out) { out << "<kavri3D/>"; });
    EXPECT_EQ(zrktest::readFile(dir.file("victim")), "keep me");
    EXPECT_EQ(zrktest::readFile(file), "<kavri3D/>");
    EXPECT_EQ(modeOf(file), 0600);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(yake::temporaryFileFor(file))));

    // A FIFO at the temporary name holds nothing up either.
    plantFifo(yake::temporaryFileFor(file));
    EXPECT_LT(secondsOf([&] { yake::writeFileAtomically(file, [](std::ostream& out) { out << "<again/>"; }); }), 1.0);
    EXPECT_EQ(zrktest::readFile(file), "<again/>");

    // A write that fails, in the writer or at the temporary file, leaves the last settings whole.
    EXPECT_THROW(yake::writeFileAtomically(file,
                                           [](std::ostream& out) {
                                               out << "<cut";
                                               out.setstate(std::ios::badbit);
                                           }),
                 std::exception);
    std::filesystem::create_directory(yake::temporaryFileFor(file));
    EXPECT_THROW(yake::writeFileAtomically(file, [](std::ostream& out) { out << "<lost/>"; }), std::exception);
    std::filesystem::remove(yake::temporaryFileFor(file));
    EXPECT_EQ(zrktest::readFile(file), "<again/>");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(yake::temporaryFileFor(file))));
}

TEST(PlayerFiles, WhatIsNotThePlayersOwnFileIsNeverTakenForIt)
{
    zrktest::TempDir dir;
    zrktest::writeFile(dir.file("own"), "own");
    EXPECT_TRUE(PlayerFiles::isPlayersFile(dir.file("own"), true));
    EXPECT_FALSE(PlayerFiles::isPlayersFile(dir.file("none"), true));
    zrktest::writeFile(dir.file("victim"), "keep me");
    std::filesystem::create_symlink(dir.file("victim"), dir.file("link"));
    plantFifo(dir.file("fifo"));
    std::filesystem::create_directory(dir.file("folder"));
    zrktest::writeFile(dir.file("theirs"), "theirs");
    {
        zrktest::ForeignFile foreign(dir.file("theirs"));
        for (const char* name : {"link", "fifo", "theirs"}) {
            EXPECT_FALSE(PlayerFiles::isPlayersFile(dir.file(name), false)) << name;
            EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(dir.file(name)))) << name;
            EXPECT_FALSE(PlayerFiles::isPlayersFile(dir.file(name), true)) << name;
            EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir.file(name)))) << name;
        }
        EXPECT_FALSE(PlayerFiles::isPlayersFile(dir.file("folder"), true));
        EXPECT_TRUE(std::filesystem::is_directory(dir.file("folder"))); // no file: left to its cleaner
    }
    EXPECT_EQ(zrktest::readFile(dir.file("victim")), "keep me");

    // The game's own file (a lock) takes the place of another user's; a download is made
    // anew, whatever stood there, its own earlier one too. Their bytes are seen through a
    // second name of each, which the game never writes.
    for (const char* name : {"lock", "part"}) {
        zrktest::writeFile(dir.file(name), "earlier");
        ::chmod(dir.file(name).c_str(), 0666);
        std::filesystem::create_hard_link(dir.file(name), dir.file(std::string(name) + ".seen"));
    }
    {
        zrktest::ForeignFile foreign(dir.file("lock"));
        const int lock = PlayerFiles::openReplacing(dir.file("lock"), O_RDWR);
        ASSERT_GE(lock, 0);
        EXPECT_TRUE(PlayerFiles::writeAll(lock, "mine"));
        ::close(lock);
    }
    const int part = PlayerFiles::openFresh(dir.file("part"), O_WRONLY);
    ASSERT_GE(part, 0);
    EXPECT_TRUE(PlayerFiles::writeAll(part, "mine"));
    ::close(part);
    for (const char* name : {"lock", "part"}) {
        EXPECT_EQ(zrktest::readFile(dir.file(std::string(name) + ".seen")), "earlier") << name;
        EXPECT_EQ(zrktest::readFile(dir.file(name)), "mine") << name;
        EXPECT_EQ(modeOf(dir.file(name)), 0600) << name;
    }
    // The player's own file is kept by the lock's open.
    const int again = PlayerFiles::openReplacing(dir.file("lock"), O_RDONLY);
    ASSERT_GE(again, 0);
    ::close(again);
    EXPECT_EQ(zrktest::readFile(dir.file("lock")), "mine");
}

TEST(PlayerFiles, TheGamesOwnFoldersAreClosedAgainAndAnotherUsersAreNotUsed)
{
    zrktest::TempDir dir;
    std::string why;
    std::filesystem::create_directories(dir.file("cache/temp"));
    ::chmod(dir.file("cache").c_str(), 0777); // an older run's, under umask 000
    EXPECT_TRUE(PlayerFiles::claimOwnFolder(dir.file("cache") + "/", &why)) << why;
    EXPECT_EQ(modeOf(dir.file("cache")), 0700);
    EXPECT_TRUE(PlayerFiles::claimOwnFolder(dir.file("cache/library"))); // none yet: made by its user
    EXPECT_FALSE(std::filesystem::exists(dir.file("cache/library")));
    // A link is nobody's folder: left to the clean-up, which removes it; what it leads to keeps its mode.
    std::filesystem::create_directory(dir.file("elsewhere"));
    ::chmod(dir.file("elsewhere").c_str(), 0755);
    std::filesystem::create_directory_symlink(dir.file("elsewhere"), dir.file("linked"));
    EXPECT_TRUE(PlayerFiles::claimOwnFolder(dir.file("linked")));
    EXPECT_EQ(modeOf(dir.file("elsewhere")), 0755);
    ::chmod(dir.file("cache/temp").c_str(), 0777);
    {
        zrktest::ForeignFile foreign(dir.file("cache/temp"));
        EXPECT_FALSE(PlayerFiles::claimOwnFolder(dir.file("cache/temp"), &why));
        EXPECT_NE(why.find("belongs to user"), std::string::npos) << why;
        EXPECT_EQ(modeOf(dir.file("cache/temp")), 0777); // not the game's to change
    }
}

TEST(TextFormat, FlagsThatBoostFormatAssertsOnGiveThePatternBack)
{
    // Zeros, left and inner alignment at once, in any order, also behind an argument's number.
    for (const char* pattern : {"%0_-x", "%_0-s", "%-_0d", "%|0-_x|", "%1$0_-x", "a %0-_s b"}) {
        EXPECT_FALSE(yake::TextFormat::flagsAgree(pattern)) << pattern;
        EXPECT_EQ(yake::TextFormat::format(pattern, {"7"}), pattern);
    }
    for (const char* fine : {"%-_x", "%0-x", "%05d", "%10$s", "100%% %1%", "%-5s|"}) {
        EXPECT_TRUE(yake::TextFormat::flagsAgree(fine)) << fine;
    }
    EXPECT_EQ(yake::TextFormat::format("%1% and %2%", {"a", "b"}), "a and b");
}
