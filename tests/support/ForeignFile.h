#pragma once
// A file or folder of another user, for the scope: given away for real where the test may
// (root gives it to nobody), else named another user's through the game's seam by its inode.
// Made before the file is handed to the game.
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <yake/PlayerFiles.h>

#include "support/TestEnv.h"

namespace zrktest {

class ForeignFile {
public:
    explicit ForeignFile(const std::string& path)
    {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0)
            return;
        if (::geteuid() == 0 && ::lchown(path.c_str(), 65534, 65534) == 0)
            return;
        // A second name keeps a file's inode its own while named: a file the game makes in its
        // place never gets the same number.
        std::error_code ec;
        if (S_ISREG(st.st_mode))
            std::filesystem::create_hard_link(path, mHold.file("held"), ec);
        const dev_t device = st.st_dev;
        const ino_t inode = st.st_ino;
        yake::PlayerFiles::setForeignForTest(
            [device, inode](const struct stat& s) { return s.st_dev == device && s.st_ino == inode; });
        mNamed = true;
    }
    ~ForeignFile()
    {
        if (mNamed)
            yake::PlayerFiles::setForeignForTest(nullptr);
    }
    ForeignFile(const ForeignFile&) = delete;
    ForeignFile& operator=(const ForeignFile&) = delete;

private:
    TempDir mHold;
    bool mNamed = false;
};

/// Makes `folder` another account's where this process may give one away (root gives it to
/// nobody, 0755), else puts a plain file in its place: a folder that is not the player's either
/// way. True when it was given away (then the game must leave it empty).
inline bool makeForeignFolder(const std::string& folder)
{
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    ::chmod(folder.c_str(), 0755);
    if (::geteuid() == 0 && ::chown(folder.c_str(), 65534, 65534) == 0)
        return true;
    std::filesystem::remove_all(folder, ec);
    writeFile(folder, "no folder");
    return false;
}

} // namespace zrktest
