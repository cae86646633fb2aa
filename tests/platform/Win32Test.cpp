#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <string>
#include <unistd.h>
#include <vector>
#include <win32/Windows.h>

#include "support/TestEnv.h"

TEST(NamedMutex, SecondOpenerSeesItHeldUntilTheFirstCloses)
{
    zrktest::TempDir dir;
    zrktest::ScopedEnv env("XDG_DATA_HOME", dir.path());
    HANDLE first = CreateMutexW(nullptr, TRUE, L"ZRK_Test");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    HANDLE second = CreateMutexW(nullptr, TRUE, L"ZRK_Test");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    CloseHandle(second);
    ReleaseMutex(first);
    CloseHandle(first);
    HANDLE third = CreateMutexW(nullptr, TRUE, L"ZRK_Test");
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    CloseHandle(third);
    EXPECT_FALSE(CloseHandle(third)); // a closed handle is refused, not freed twice
}

TEST(NamedMutex, UncreatableLockFileGivesNull)
{
    zrktest::TempDir dir;
    zrktest::ScopedEnv env("XDG_DATA_HOME", dir.path());
    std::filesystem::create_directories(dir.file("kavri3D/ZRK_Dir.lock")); // a folder cannot be opened for writing
    EXPECT_EQ(CreateMutexW(nullptr, TRUE, L"ZRK_Dir"), nullptr);
}

TEST(NamedMutex, TheLockIsInTheUsersOwnDataFolderWhateverOthersMadeElsewhere)
{
    // Another account got there first: the shared temporary folder's old lock folder and a
    // runtime folder named by the environment are both someone else's.
    zrktest::TempDir tmp, data;
    const uid_t other = ::getuid() == 4242 ? 4343 : 4242;
    const std::string oldFolder = tmp.file("kavri3D-" + std::to_string(::getuid()));
    std::filesystem::create_directory(oldFolder);
    std::filesystem::permissions(oldFolder, std::filesystem::perms::all);
    const bool chowned = ::chown(oldFolder.c_str(), other, other) == 0;
    const std::string runtime = tmp.file("runtime");
    std::filesystem::create_directory(runtime);
    if (chowned) {
        EXPECT_EQ(::chown(runtime.c_str(), other, other), 0);
    }
    zrktest::ScopedEnv tmpEnv("TMPDIR", tmp.path());
    zrktest::ScopedEnv dataEnv("XDG_DATA_HOME", data.path());
    for (const char* runtimeValue : {"", runtime.c_str()}) {
        zrktest::ScopedEnv runtimeEnv("XDG_RUNTIME_DIR", runtimeValue);
        HANDLE lock = CreateMutexW(nullptr, TRUE, L"ZRK_Test");
        ASSERT_NE(lock, nullptr) << runtimeValue;
        EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
        EXPECT_TRUE(std::filesystem::exists(data.file("kavri3D/ZRK_Test.lock")));
        EXPECT_EQ(std::filesystem::status(data.file("kavri3D")).permissions() & std::filesystem::perms::all,
                  std::filesystem::perms::owner_all);
        HANDLE second = CreateMutexW(nullptr, TRUE, L"ZRK_Test");
        EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
        CloseHandle(second);
        CloseHandle(lock);
    }
    EXPECT_FALSE(std::filesystem::exists(oldFolder + "/ZRK_Test.lock"));
    EXPECT_FALSE(std::filesystem::exists(runtime + "/ZRK_Test.lock"));

    // The player's game folder left open to others is closed again; another account's, or a
    // link, is not trusted: no lock at all.
    const std::string own = data.file("kavri3D");
    std::filesystem::permissions(own, std::filesystem::perms::all);
    HANDLE tightened = CreateMutexW(nullptr, TRUE, L"ZRK_Test");
    EXPECT_NE(tightened, nullptr);
    CloseHandle(tightened);
    EXPECT_EQ(std::filesystem::status(own).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);
    if (chowned && ::chown(own.c_str(), other, other) == 0) {
        EXPECT_EQ(CreateMutexW(nullptr, TRUE, L"ZRK_Test"), nullptr);
    }
    std::filesystem::remove_all(own);
    std::filesystem::create_directory(data.file("elsewhere"));
    std::filesystem::create_directory_symlink(data.file("elsewhere"), own);
    EXPECT_EQ(CreateMutexW(nullptr, TRUE, L"ZRK_Test"), nullptr);
}

TEST(NamedMutex, ALinkOrFifoAtTheLocksNameIsNobodysLockAndGoes)
{
    zrktest::TempDir data;
    zrktest::ScopedEnv dataEnv("XDG_DATA_HOME", data.path());
    std::filesystem::create_directories(data.file("kavri3D"));
    ::chmod(data.file("kavri3D").c_str(), 0700);
    zrktest::writeFile(data.file("victim"), "keep me");
    std::filesystem::create_symlink(data.file("victim"), data.file("kavri3D/ZRK_Test.lock"));
    HANDLE lock = CreateMutexW(nullptr, TRUE, L"ZRK_Test");
    ASSERT_NE(lock, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_FALSE(std::filesystem::is_symlink(data.file("kavri3D/ZRK_Test.lock")));
    EXPECT_EQ(zrktest::readFile(data.file("victim")), "keep me");
    CloseHandle(lock);
    std::filesystem::remove(data.file("kavri3D/ZRK_Test.lock"));
    ASSERT_EQ(::mkfifo(data.file("kavri3D/ZRK_Test.lock").c_str(), 0600), 0);
    lock = CreateMutexW(nullptr, TRUE, L"ZRK_Test");
    ASSERT_NE(lock, nullptr);
    EXPECT_TRUE(std::filesystem::is_regular_file(data.file("kavri3D/ZRK_Test.lock")));
    CloseHandle(lock);
}

TEST(ShellDelete, RemovesOnlyWhatThePatternMatches)
{
    zrktest::TempDir dir;
    zrktest::writeFile(dir.file("temp/a.bin"), "x");
    zrktest::writeFile(dir.file("temp/sub/b.bin"), "x");
    zrktest::writeFile(dir.file("keep.txt"), "x");
    std::wstring pattern = win32WideFromUtf8(dir.file("temp/*.*"));
    wchar_t from[260] = {};
    pattern.copy(from, pattern.size());
    SHFILEOPSTRUCTW op{nullptr, FO_DELETE, from, nullptr, FOF_SILENT};
    EXPECT_EQ(SHFileOperationW(&op), 0);
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("temp")));
    EXPECT_TRUE(std::filesystem::exists(dir.file("keep.txt")));

    // Without a wildcard a name is one file; a folder is never deleted whole.
    auto deleteNamed = [](const std::string& path) {
        std::wstring name = win32WideFromUtf8(path);
        wchar_t list[260] = {};
        name.copy(list, name.size());
        SHFILEOPSTRUCTW one{nullptr, FO_DELETE, list, nullptr, FOF_SILENT};
        return SHFileOperationW(&one);
    };
    zrktest::writeFile(dir.file("temp/c.bin"), "x");
    EXPECT_NE(deleteNamed(dir.file("temp")), 0);
    EXPECT_TRUE(std::filesystem::exists(dir.file("temp/c.bin")));
    EXPECT_EQ(deleteNamed(dir.file("keep.txt")), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.file("keep.txt")));
}

TEST(Utf, WideRoundTripAndMalformedBytes)
{
    const std::string text = "Spi\xC3\xA9l \xE2\x82\xAC \xF0\x9F\x8E\xAE";
    EXPECT_EQ(win32Utf8FromWide(win32WideFromUtf8(text)), text);
    std::wstring bad = win32WideFromUtf8("a\xC3");
    EXPECT_EQ(bad.size(), 2u);
    EXPECT_EQ(bad[1], static_cast<wchar_t>(0xFFFD));
    // A lead byte without its continuation, an overlong slash, a surrogate: each byte that
    // cannot be read stands for itself as U+FFFD, and what follows is read again.
    EXPECT_EQ(win32WideFromUtf8("\xC3"
                                "a"),
              std::wstring(L"\uFFFD"
                           L"a"));
    EXPECT_EQ(win32WideFromUtf8("\xC0\xAF"), std::wstring(L"\uFFFD\uFFFD"));
    EXPECT_EQ(win32WideFromUtf8("\xED\xA0\x80").size(), 3u);
    EXPECT_EQ(win32WideFromUtf8("J\xC3\xBCrgen"), std::wstring(L"J\u00FCrgen"));
}

TEST(CommandLine, EveryArgumentComesBackAsTheLauncherWroteIt)
{
    const std::vector<std::string> arguments = {"game",
                                                "",
                                                "\"",
                                                "a b",
                                                "\\",
                                                "\\\\",
                                                "a\\",
                                                "\\\"",
                                                "x\\\\\"y",
                                                "\"\"",
                                                "tab\there",
                                                " /mutex=0 ",
                                                "zrk://p?x=\" /serverReset=1 \"",
                                                "J\xC3\xBCrgen"};
    std::wstring line;
    for (const std::string& a : arguments)
        line += (line.empty() ? L"" : L" ") + win32QuoteArgument(win32WideFromUtf8(a));
    EXPECT_EQ(win32SplitCommandLine(win32Utf8FromWide(line)), arguments);
    EXPECT_EQ(win32QuoteArgument(L"a\\\"b\\"), L"\"a\\\\\\\"b\\\\\"");

    // Words without quotes, as a hand-made line has them; backslashes not before a quote stay.
    EXPECT_EQ(win32SplitCommandLine("  game.exe  /mutex=0\t\"C:\\a b\\\\\" x\\y \"\""),
              (std::vector<std::string>{"game.exe", "/mutex=0", "C:\\a b\\", "x\\y", ""}));
}
