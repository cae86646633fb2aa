#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace kavri3D {
namespace zrk {

/// A small face of SQLite for the server's world: one open database, statements prepared
/// once and reused, and transactions that roll back unless committed. Nothing throws: every
/// failure is a false result and a text in lastError().
class ZRKDatabase {
public:
    /// One prepared statement, reset for each use. Columns count from 0, bound values from 1.
    class Statement {
    public:
        Statement() = default;
        explicit Statement(sqlite3_stmt* stmt);
        ~Statement();
        Statement(Statement&& other) noexcept;
        Statement& operator=(Statement&& other) noexcept;
        Statement(const Statement&) = delete;
        Statement& operator=(const Statement&) = delete;

        bool valid() const { return mStmt != nullptr; }
        Statement& bind(int index, long long value);
        Statement& bind(int index, const std::string& value);
        /// The next row: true while there is one; false at the end or on an error.
        bool step();
        /// Runs a statement that returns no rows; false on an error (a broken constraint too).
        bool run();
        long long integer(int column) const;
        std::string text(int column) const;
        /// The column's text as SQLite holds it (valid until the next step), and its length.
        const unsigned char* rawText(int column) const;
        std::size_t size(int column) const;
        bool isNull(int column) const;
        void reset();

    private:
        sqlite3_stmt* mStmt = nullptr;
        bool mFailed = false;
    };

    /// Begins on construction; rolls back on destruction unless commit() succeeded.
    class Transaction {
    public:
        explicit Transaction(ZRKDatabase& db);
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        bool active() const { return mActive; }
        bool commit();

    private:
        ZRKDatabase& mDb;
        bool mActive = false;
    };

    /// A nested piece of work: undone on destruction unless released.
    class Savepoint {
    public:
        explicit Savepoint(ZRKDatabase& db);
        ~Savepoint();
        Savepoint(const Savepoint&) = delete;
        Savepoint& operator=(const Savepoint&) = delete;
        bool release();

    private:
        ZRKDatabase& mDb;
        bool mActive = false;
    };

    ZRKDatabase() = default;
    ~ZRKDatabase();
    ZRKDatabase(const ZRKDatabase&) = delete;
    ZRKDatabase& operator=(const ZRKDatabase&) = delete;

    /// Opens (creating, 0600) the file, or an in-memory database for ":memory:". False, with
    /// the reason in lastError(), when it cannot be opened or is not a sound database; a link,
    /// FIFO or folder at the path counts as damaged (lastFailureIsDamage) and is never followed
    /// or waited on.
    bool open(const std::string& path);
    /// Opens an existing plain file only to read it as it stands, leaving it and its "-wal" and
    /// "-shm" files as they are: no lock, nothing made, the write-ahead log not read.
    bool openToRead(const std::string& path);
    /// The close that follows leaves the write-ahead log as it is (no checkpoint into the file).
    void keepFilesAtClose();
    void close();
    bool isOpen() const { return mDb != nullptr; }
    const std::string& path() const { return mPath; }

    /// Runs statements that return nothing; false on the first failure.
    bool exec(const std::string& sql);
    /// Runs one statement that returns nothing, prepared once for every later run.
    bool runOnce(const char* sql);
    /// The cached statement for this text, reset and unbound; invalid when it cannot be
    /// prepared.
    Statement& prepare(const std::string& sql);
    /// A deterministic SQL function of one text (null gives null), for the statements and
    /// indexes of this database; defined again after each open.
    bool defineFunction(const char* name, std::string (*fn)(const std::string&));
    long long lastInsertId() const;
    /// Takes the reason of a statement's failed step into lastError().
    void noteStepError();
    /// Rows the last changing statement touched.
    int changes() const;
    /// Told whenever work is undone (a transaction or a savepoint rolled back), so that what
    /// was read from it meanwhile can be forgotten.
    void setUndoListener(const std::function<void()>& listener) { mUndone = listener; }
    const std::string& lastError() const { return mError; }
    /// Control for tests: the next `count` commits fail (and roll back), as a full disk would.
    void refuseCommits(int count);
    /// The last failure was that the file is no database, or a damaged one (not merely busy).
    bool lastFailureIsDamage() const { return mDamaged; }

private:
    /// Makes or tightens the world's file and its side files before SQLite opens them.
    bool claimFiles(const std::string& path);
    void noteError(const std::string& what);
    friend class Statement;

    sqlite3* mDb = nullptr;
    std::string mPath;
    std::string mError;
    bool mDamaged = false;
    int mRefusedCommits = 0;
    std::function<void()> mUndone;
    std::map<std::string, std::unique_ptr<Statement>> mStatements;
};

} // namespace zrk
} // namespace kavri3D
