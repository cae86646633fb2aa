#pragma once
#include <cstddef>
#include <string>

namespace kavri3D {
namespace zrk {

class ZRKDatabase;

/// The world's file: the lock one run holds beside it, its schema (written into a new file,
/// checked in an old one and brought up from an older version in one transaction) and a
/// damaged file set aside. What the file holds is the world's business.
class ZRKWorldFile {
public:
    enum Opening { Opened, Damaged, Unavailable, OldSchema, Newer };

    explicit ZRKWorldFile(ZRKDatabase& db);
    /// Lets the lock go.
    ~ZRKWorldFile();
    ZRKWorldFile(const ZRKWorldFile&) = delete;
    ZRKWorldFile& operator=(const ZRKWorldFile&) = delete;

    /// Forgets what the last opening found (in use, moved aside).
    void clearMarks();
    /// Takes the lock beside the file (path + ".lock"), held until unlock(); false when it
    /// cannot be made, or another game holds it (inUse() then tells).
    bool lock(const std::string& path);
    void unlock();
    /// Opens the database at `path`: an empty one gets the schema, one of an older schema is
    /// upgraded. Anything but Opened leaves the database closed.
    Opening open(const std::string& path);
    /// Closes the database and moves a file that is no sound world aside (to path +
    /// ".broken"), with its "-wal" and "-shm" files; movedAside() then tells.
    void moveAside(const std::string& path);
    bool inUse() const { return mInUse; }
    bool movedAside() const { return mMovedAside; }
    /// The schema number the file at `path` says it has, read without changing the file or
    /// its companions; 0 when there is no file, -1 when it tells none.
    static int schemaOf(const std::string& path);

private:
    Opening checkSound();
    /// Brings a world of an older schema up to the current one, in one transaction.
    bool upgrade(int from);
    /// The steps: each runs inside upgrade's transaction.
    bool upgradeFrom2(std::size_t& hashed);
    bool keepNickKeys();
    bool addForgeColumns();
    bool addQuestProgress();
    bool createSchema();

    ZRKDatabase& mDb;
    int mOldSchema = 0; ///< the schema checkSound found, when it is an older one
    int mLockFd = -1;   ///< the lock beside the world file, held for the run
    bool mInUse = false;
    bool mMovedAside = false;
};

} // namespace zrk
} // namespace kavri3D
