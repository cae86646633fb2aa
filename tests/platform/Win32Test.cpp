#include <filesystem>
#include <gtest/gtest.h>
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
}

TEST(Utf, WideRoundTripAndMalformedBytes)
{
    const std::string text = "Spi\xC3\xA9l \xE2\x82\xAC \xF0\x9F\x8E\xAE";
    EXPECT_EQ(win32Utf8FromWide(win32WideFromUtf8(text)), text);
    std::wstring bad = win32WideFromUtf8("a\xC3");
    EXPECT_EQ(bad.size(), 2u);
    EXPECT_EQ(bad[1], static_cast<wchar_t>(0xFFFD));
}
