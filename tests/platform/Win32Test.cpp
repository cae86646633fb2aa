#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <win32/Windows.h>

#include "support/TestEnv.h"

TEST(NamedMutex, SecondOpenerSeesItHeldUntilTheFirstCloses)
{
    zrktest::TempDir dir;
    zrktest::ScopedEnv env("XDG_RUNTIME_DIR", dir.path());
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
    zrktest::ScopedEnv env("XDG_RUNTIME_DIR", dir.path());
    std::filesystem::create_directory(dir.file("ZRK_Dir.lock")); // a folder cannot be opened for writing
    EXPECT_EQ(CreateMutexW(nullptr, TRUE, L"ZRK_Dir"), nullptr);
}

TEST(NamedMutex, WithoutARuntimeFolderTheLockIsInAFolderOfTheUsersOwn)
{
    zrktest::TempDir tmp;
    zrktest::ScopedEnv noRuntime("XDG_RUNTIME_DIR", "");
    zrktest::ScopedEnv tmpEnv("TMPDIR", tmp.path());
    const std::string own = tmp.file("kavri3D-" + std::to_string(::getuid()));
    HANDLE lock = CreateMutexW(nullptr, TRUE, L"ZRK_Test");
    ASSERT_NE(lock, nullptr);
    EXPECT_TRUE(std::filesystem::exists(own + "/ZRK_Test.lock"));
    EXPECT_EQ(std::filesystem::status(own).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);
    CloseHandle(lock);

    // A folder of that name that others may write to is not trusted: no lock at all.
    std::filesystem::permissions(own, std::filesystem::perms::all);
    EXPECT_EQ(CreateMutexW(nullptr, TRUE, L"ZRK_Test"), nullptr);
    std::filesystem::remove_all(own);
    std::filesystem::create_directory_symlink(tmp.file("elsewhere"), own);
    std::filesystem::create_directory(tmp.file("elsewhere"));
    EXPECT_EQ(CreateMutexW(nullptr, TRUE, L"ZRK_Test"), nullptr);
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
    EXPECT_EQ(win32WideFromUtf8("\xC3" "a"), std::wstring(L"\uFFFD" L"a"));
    EXPECT_EQ(win32WideFromUtf8("\xC0\xAF"), std::wstring(L"\uFFFD\uFFFD"));
    EXPECT_EQ(win32WideFromUtf8("\xED\xA0\x80").size(), 3u);
    EXPECT_EQ(win32WideFromUtf8("J\xC3\xBCrgen"), std::wstring(L"J\u00FCrgen"));
}
