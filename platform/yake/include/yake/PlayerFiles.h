#pragma once
#include <functional>
#include <string>
#include <sys/types.h>

struct stat;

namespace yake {

/// What the game writes for the player (the world, its side files, the settings, the log, the
/// cache) is the player's alone, wherever it lies: files are 0600 and the folders the game
/// makes 0700, whatever the umask. Nothing here follows a link planted at the last step of a
/// path or waits on a FIFO or device put where a file was expected.
class PlayerFiles {
public:
    /// Opens `path` with `flags` (O_RDONLY, O_WRONLY or O_RDWR, with O_CREAT, O_EXCL, O_TRUNC or
    /// O_APPEND as wanted): never through a link, never waiting on a FIFO, and only a regular
    /// file. A file the player owns comes back 0600 (a new one, or one an earlier version left
    /// readable by others). -1, with `error` saying why, otherwise; errno stays the open's.
    static int open(const std::string& path, int flags, std::string* error = nullptr);

    /// As open, but whatever stands at the name and is not a plain file of the player's (a link,
    /// a FIFO, another user's file) is removed (as itself) first: for the game's own files (a
    /// lock, a log), which nobody else's thing may stand in for.
    static int openReplacing(const std::string& path, int flags, std::string* error = nullptr);

    /// Makes the file anew (a download under way): whatever stood at the name goes first, and
    /// the file is created exclusively, so nothing that was there is ever written into.
    static int openFresh(const std::string& path, int flags, std::string* error = nullptr);

    /// Whether `path` (not followed) is a plain file of the player's. Anything else there that is
    /// not a folder (another user's file, a link, a FIFO) is removed with `removeOthers`: what
    /// the game finds in its own folders is its own or nothing.
    static bool isPlayersFile(const std::string& path, bool removeOthers);

    /// Makes the file a library will write by its name (a log): a plain file, the player's alone,
    /// before the library opens it. A link or FIFO at the name is removed as itself first.
    /// False when no plain file can be had there.
    static bool claimFile(const std::string& path);

    /// Writes all of `bytes` to `fd`; false when the disk (or anything else) refuses part of it.
    static bool writeAll(int fd, const std::string& bytes);

    /// Makes the folder and any missing parents, each 0700. A folder that is there already must
    /// be a folder (not a link to one) and is left as it is. False, with `error`, when it cannot
    /// be had so.
    static bool makeFolder(const std::string& path, std::string* error = nullptr);

    /// What a folder the game keeps the player's data in turned out to be.
    enum class Folder {
        Private,   ///< the player's own, nobody else may enter it
        Tightened, ///< the player's own, others could enter it: now 0700
        Made,      ///< it was not there: made 0700
        Foreign,   ///< somebody else's (or no folder): the game must not use it
    };
    /// Checks the data folder (links followed: the folder itself counts), making it when missing.
    static Folder claimFolder(const std::string& path, std::string* error = nullptr);

    /// A folder of the game's own where it stands (the cache and its parts, the logs): the
    /// player's is closed to others again when it was left open; another user's is not to be
    /// used (false, `error` says whose). What is no folder there (nothing, a link, a file) is left
    /// to whoever makes or cleans it.
    static bool claimOwnFolder(const std::string& path, std::string* error = nullptr);

    /// The player the game's files belong to: the process's user.
    static uid_t player();
    /// Whether what stat told is the player's.
    static bool isPlayers(const struct stat& st);
    /// Tests: the game runs as if `uid` were its user ((uid_t)-1: the process's own again).
    static void setPlayerForTest(uid_t uid);
    /// Tests: files of which this says so count as another user's (where a test cannot give a
    /// file away); empty: the owner alone decides.
    static void setForeignForTest(std::function<bool(const struct stat&)> test);

    /// Whether the file at `path` (not followed) is a regular file or absent; false for a link,
    /// a FIFO, a device, a socket or a folder.
    static bool plainOrAbsent(const std::string& path);

    /// Removes a folder's content, or the folder itself with `andFolder`, never reaching through
    /// a link: a link (at `path` too) is removed as a link, what it points to is left alone; a
    /// file where the folder should be goes too.
    /// Names matching `prefix`*`suffix` only, at the top level (empty: all). False when
    /// something could not be removed.
    static bool removeTree(const std::string& path, bool andFolder, const std::string& prefix = std::string(),
                           const std::string& suffix = std::string());
};

} // namespace yake
