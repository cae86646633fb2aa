#include "yake/PlayerFiles.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace yake {

namespace {

const mode_t kFileMode = 0600;
const mode_t kFolderMode = 0700;
// Folders nest no deeper than this in what the game removes: a deeper tree is left, not chased.
const int kMostLevels = 64;

const uid_t kNoTestPlayer = static_cast<uid_t>(-1);
std::atomic<uid_t> gTestPlayer{kNoTestPlayer};
std::mutex gForeignMutex;
std::function<bool(const struct stat&)> gForeignTest;

bool fail(std::string* error, const std::string& why)
{
    if (error)
        *error = why;
    return false;
}

std::string reason(const std::string& path, int code) { return path + ": " + std::strerror(code); }

bool matches(const char* name, const std::string& prefix, const std::string& suffix)
{
    const std::size_t n = std::strlen(name);
    return n >= prefix.size() + suffix.size() && std::strncmp(name, prefix.c_str(), prefix.size()) == 0 &&
           std::strcmp(name + n - suffix.size(), suffix.c_str()) == 0;
}

/// Empties the folder open at `dir`: entries are looked at where they are (never followed), a
/// sub-folder is entered by its descriptor, so no link met on the way leads anywhere else.
bool emptyFolder(int dir, const std::string& prefix, const std::string& suffix, int level)
{
    const int listFd = ::dup(dir);
    DIR* list = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (!list) {
        if (listFd >= 0)
            ::close(listFd);
        return false;
    }
    bool ok = true;
    while (dirent* entry = ::readdir(list)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0 || !matches(name, prefix, suffix))
            continue;
        struct stat st;
        if (::fstatat(dir, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue; // gone meanwhile
        if (!S_ISDIR(st.st_mode)) {
            ok = ::unlinkat(dir, name, 0) == 0 && ok;
            continue;
        }
        const int sub = level < kMostLevels ? ::openat(dir, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC) : -1;
        if (sub < 0) {
            ok = false;
            continue;
        }
        ok = emptyFolder(sub, std::string(), std::string(), level + 1) && ok;
        ::close(sub);
        ok = ::unlinkat(dir, name, AT_REMOVEDIR) == 0 && ok;
    }
    ::closedir(list);
    return ok;
}

} // namespace

int PlayerFiles::open(const std::string& path, int flags, std::string* error)
{
    // Non-blocking only for the open itself: a FIFO would otherwise hold the caller until
    // someone wrote to it.
    const int fd = ::open(path.c_str(), flags | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, kFileMode);
    if (fd < 0) {
        const int code = errno;
        fail(error, code == ELOOP ? path + " is a link" : reason(path, code));
        errno = code;
        return -1;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        fail(error, path + " is not a plain file");
        errno = EINVAL;
        return -1;
    }
    // Whatever the umask made of it, and whatever an older version left: the player's alone.
    if (isPlayers(st) && (st.st_mode & 07777) != kFileMode)
        ::fchmod(fd, kFileMode);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

int PlayerFiles::openReplacing(const std::string& path, int flags, std::string* error)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && !(S_ISREG(st.st_mode) && isPlayers(st)) && ::unlink(path.c_str()) != 0) {
        fail(error, reason(path, errno));
        return -1;
    }
    const int fd = open(path, flags | O_CREAT, error);
    // Put back in the moment between the two by somebody else: not ours to write.
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !isPlayers(st))) {
        ::close(fd);
        fail(error, path + " is another user's");
        errno = EPERM;
        return -1;
    }
    return fd;
}

int PlayerFiles::openFresh(const std::string& path, int flags, std::string* error)
{
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        fail(error, reason(path, errno));
        return -1;
    }
    return open(path, flags | O_CREAT | O_EXCL, error);
}

bool PlayerFiles::isPlayersFile(const std::string& path, bool removeOthers)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return false;
    if (S_ISREG(st.st_mode) && isPlayers(st))
        return true;
    if (removeOthers && !S_ISDIR(st.st_mode))
        ::unlink(path.c_str());
    return false;
}

bool PlayerFiles::claimFile(const std::string& path)
{
    const int fd = openReplacing(path, O_WRONLY);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool PlayerFiles::writeAll(int fd, const std::string& bytes)
{
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

bool PlayerFiles::makeFolder(const std::string& path, std::string* error)
{
    if (path.empty())
        return fail(error, "no folder named");
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    struct stat st;
    if (::lstat(folder.c_str(), &st) == 0) {
        // There already: the game's own or one it lies in (the program folder), left as it is.
        if (!S_ISDIR(st.st_mode))
            return fail(error, folder + (S_ISLNK(st.st_mode) ? " is a link" : " is not a folder"));
        return true;
    }
    if (errno != ENOENT)
        return fail(error, reason(folder, errno));
    const std::string::size_type slash = folder.rfind('/');
    if (slash != std::string::npos && slash > 0 && !makeFolder(folder.substr(0, slash), error))
        return false;
    if (::mkdir(folder.c_str(), kFolderMode) != 0)
        return errno == EEXIST ? makeFolder(folder, error) : fail(error, reason(folder, errno));
    // Exactly 0700, whatever the umask made of it.
    if (::chmod(folder.c_str(), kFolderMode) != 0)
        return fail(error, reason(folder, errno));
    return true;
}

PlayerFiles::Folder PlayerFiles::claimFolder(const std::string& path, std::string* error)
{
    struct stat st;
    const bool was = ::stat(path.c_str(), &st) == 0;
    if (!was) {
        if (errno != ENOENT) {
            fail(error, reason(path, errno));
            return Folder::Foreign;
        }
        return makeFolder(path, error) ? Folder::Made : Folder::Foreign;
    }
    if (!S_ISDIR(st.st_mode)) {
        fail(error, path + " is not a folder");
        return Folder::Foreign;
    }
    if (!isPlayers(st)) {
        fail(error, path + " belongs to user " + std::to_string(st.st_uid));
        return Folder::Foreign;
    }
    if ((st.st_mode & 077) == 0)
        return Folder::Private;
    if (::chmod(path.c_str(), kFolderMode) != 0) {
        fail(error, reason(path, errno));
        return Folder::Foreign;
    }
    return Folder::Tightened;
}

bool PlayerFiles::claimOwnFolder(const std::string& path, std::string* error)
{
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    struct stat st;
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return true;
    if (!isPlayers(st))
        return fail(error, folder + " belongs to user " + std::to_string(st.st_uid));
    if ((st.st_mode & 077) != 0 && ::chmod(folder.c_str(), kFolderMode) != 0)
        return fail(error, reason(folder, errno));
    return true;
}

uid_t PlayerFiles::player()
{
    const uid_t test = gTestPlayer;
    return test != kNoTestPlayer ? test : ::geteuid();
}

bool PlayerFiles::isPlayers(const struct stat& st)
{
    if (st.st_uid != player())
        return false;
    std::lock_guard<std::mutex> lock(gForeignMutex);
    return !(gForeignTest && gForeignTest(st));
}

void PlayerFiles::setPlayerForTest(uid_t uid) { gTestPlayer = uid; }

void PlayerFiles::setForeignForTest(std::function<bool(const struct stat&)> test)
{
    std::lock_guard<std::mutex> lock(gForeignMutex);
    gForeignTest = std::move(test);
}

bool PlayerFiles::plainOrAbsent(const std::string& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return errno == ENOENT;
    return S_ISREG(st.st_mode);
}

bool PlayerFiles::removeTree(const std::string& path, bool andFolder, const std::string& prefix,
                             const std::string& suffix)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return errno == ENOENT;
    // A link where the folder should be: the link goes, never what it points to.
    if (!S_ISDIR(st.st_mode))
        return ::unlink(path.c_str()) == 0;
    const int dir = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir < 0)
        return false;
    bool ok = emptyFolder(dir, prefix, suffix, 0);
    ::close(dir);
    if (andFolder)
        ok = ::rmdir(path.c_str()) == 0 && ok;
    return ok;
}

} // namespace yake
