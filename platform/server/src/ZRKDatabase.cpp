#include "server/ZRKDatabase.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>
#include <yake/PlayerFiles.h>

namespace kavri3D {
namespace zrk {

ZRKDatabase::Statement::Statement(sqlite3_stmt* stmt) : mStmt(stmt) {}

ZRKDatabase::Statement::~Statement()
{
    if (mStmt)
        sqlite3_finalize(mStmt);
}

ZRKDatabase::Statement::Statement(Statement&& other) noexcept : mStmt(other.mStmt), mFailed(other.mFailed)
{
    other.mStmt = nullptr;
}

ZRKDatabase::Statement& ZRKDatabase::Statement::operator=(Statement&& other) noexcept
{
    if (this != &other) {
        if (mStmt)
            sqlite3_finalize(mStmt);
        mStmt = other.mStmt;
        mFailed = other.mFailed;
        other.mStmt = nullptr;
    }
    return *this;
}

ZRKDatabase::Statement& ZRKDatabase::Statement::bind(int index, long long value)
{
    if (mStmt && sqlite3_bind_int64(mStmt, index, value) != SQLITE_OK)
        mFailed = true;
    return *this;
}

ZRKDatabase::Statement& ZRKDatabase::Statement::bind(int index, const std::string& value)
{
    if (mStmt &&
        sqlite3_bind_text(mStmt, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT) != SQLITE_OK)
        mFailed = true;
    return *this;
}

bool ZRKDatabase::Statement::step()
{
    if (!mStmt || mFailed)
        return false;
    const int rc = sqlite3_step(mStmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        mFailed = true;
    return false;
}

bool ZRKDatabase::Statement::run()
{
    if (!mStmt || mFailed)
        return false;
    int rc = sqlite3_step(mStmt);
    while (rc == SQLITE_ROW)
        rc = sqlite3_step(mStmt);
    return rc == SQLITE_DONE;
}

long long ZRKDatabase::Statement::integer(int column) const { return mStmt ? sqlite3_column_int64(mStmt, column) : 0; }

std::string ZRKDatabase::Statement::text(int column) const
{
    if (!mStmt)
        return std::string();
    const unsigned char* t = sqlite3_column_text(mStmt, column);
    return t ? std::string(reinterpret_cast<const char*>(t),
                           static_cast<std::size_t>(sqlite3_column_bytes(mStmt, column)))
             : std::string();
}

const unsigned char* ZRKDatabase::Statement::rawText(int column) const
{
    static const unsigned char none = 0;
    const unsigned char* t = mStmt ? sqlite3_column_text(mStmt, column) : nullptr;
    return t ? t : &none;
}

std::size_t ZRKDatabase::Statement::size(int column) const
{
    return mStmt ? static_cast<std::size_t>(sqlite3_column_bytes(mStmt, column)) : 0;
}

bool ZRKDatabase::Statement::isNull(int column) const
{
    return !mStmt || sqlite3_column_type(mStmt, column) == SQLITE_NULL;
}

void ZRKDatabase::Statement::reset()
{
    if (!mStmt)
        return;
    sqlite3_reset(mStmt);
    sqlite3_clear_bindings(mStmt);
    mFailed = false;
}

ZRKDatabase::Transaction::Transaction(ZRKDatabase& db) : mDb(db) { mActive = mDb.runOnce("BEGIN IMMEDIATE"); }

ZRKDatabase::Transaction::~Transaction()
{
    if (mActive)
        mDb.runOnce("ROLLBACK");
}

bool ZRKDatabase::Transaction::commit()
{
    if (!mActive)
        return false;
    mActive = false;
    if (mDb.runOnce("COMMIT"))
        return true;
    mDb.runOnce("ROLLBACK");
    return false;
}

ZRKDatabase::Savepoint::Savepoint(ZRKDatabase& db) : mDb(db) { mActive = mDb.runOnce("SAVEPOINT piece"); }

ZRKDatabase::Savepoint::~Savepoint()
{
    if (mActive && mDb.runOnce("ROLLBACK TO piece"))
        mDb.runOnce("RELEASE piece");
}

bool ZRKDatabase::Savepoint::release()
{
    if (!mActive)
        return false;
    mActive = false;
    return mDb.runOnce("RELEASE piece");
}

ZRKDatabase::~ZRKDatabase() { close(); }

namespace {
/// SQLite's process-wide settings, before its first use: no memory statistics (nothing here
/// reads them, and keeping them costs every allocation a lock).
bool configureOnce()
{
    static const bool configured = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0) == SQLITE_OK;
    return configured;
}
} // namespace

bool ZRKDatabase::claimFiles(const std::string& path)
{
    // The world is the player's alone: made 0600 here (SQLite gives its log and index files the
    // same mode), never opened through a link, never waited on as a FIFO. Such a thing at the
    // world's own name is no world: it counts as damaged, to be set aside.
    std::string why;
    const int fd = yake::PlayerFiles::open(path, O_RDWR | O_CREAT, &why);
    if (fd < 0) {
        const int code = errno;
        mError = "cannot open: " + why;
        mDamaged = code == ELOOP || code == EINVAL || code == ENXIO || code == EISDIR;
        return false;
    }
    ::close(fd);
    // A link or FIFO at a side file's name belongs to nobody's world: it goes (as itself).
    for (const char* end : {"-wal", "-shm", "-journal"}) {
        const std::string side = path + end;
        if (!yake::PlayerFiles::plainOrAbsent(side)) {
            ::unlink(side.c_str());
            continue;
        }
        const int sideFd = yake::PlayerFiles::open(side, O_RDONLY);
        if (sideFd >= 0)
            ::close(sideFd);
    }
    return true;
}

bool ZRKDatabase::open(const std::string& path)
{
    configureOnce();
    close();
    mPath = path;
    mError.clear();
    mDamaged = false;
    if (path != ":memory:" && !claimFiles(path))
        return false;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW;
    if (sqlite3_open_v2(path.c_str(), &mDb, flags, nullptr) != SQLITE_OK) {
        noteError("cannot open");
        close();
        return false;
    }
    sqlite3_extended_result_codes(mDb, 1);
    sqlite3_db_config(mDb, SQLITE_DBCONFIG_LOOKASIDE, nullptr, 512, 256); // small allocations without malloc
    sqlite3_busy_timeout(mDb, 2000);                                      // another process may hold it a moment
    // Answered changes must outlive a killed process: every commit reaches the file before
    // the reply leaves (the write-ahead log keeps that cheap).
    if (path != ":memory:" && !exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;")) {
        close();
        return false;
    }
    // Small pages: a change copies less for its journal (a new database takes the size).
    return exec("PRAGMA page_size=1024; PRAGMA foreign_keys=ON;");
}

bool ZRKDatabase::openToRead(const std::string& path)
{
    configureOnce();
    close();
    mPath = path;
    mError.clear();
    mDamaged = false;
    if (!yake::PlayerFiles::plainOrAbsent(path)) {
        mError = "cannot open: " + path + " is not a plain file";
        mDamaged = true;
        return false;
    }
    // The path goes into a URI: "?", "#" and "%" would mean something there.
    std::string uri = "file:";
    for (char c : path) {
        if (c == '%' || c == '#' || c == '?') {
            static const char hex[] = "0123456789ABCDEF";
            uri += '%';
            uri += hex[static_cast<unsigned char>(c) >> 4];
            uri += hex[static_cast<unsigned char>(c) & 15];
        } else {
            uri += c;
        }
    }
    // As it stands: no lock taken, no index file made, no write-ahead log read or changed.
    uri += "?immutable=1";
    const int flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW;
    if (sqlite3_open_v2(uri.c_str(), &mDb, flags, nullptr) != SQLITE_OK) {
        noteError("cannot open");
        close();
        return false;
    }
    sqlite3_extended_result_codes(mDb, 1);
    return true;
}

void ZRKDatabase::keepFilesAtClose()
{
    if (mDb)
        sqlite3_db_config(mDb, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
}

void ZRKDatabase::close()
{
    if (mUndone)
        mUndone();       // what was read belongs to the database that goes
    mStatements.clear(); // statements go before their database
    if (mDb)
        sqlite3_close(mDb);
    mDb = nullptr;
}

bool ZRKDatabase::exec(const std::string& sql)
{
    if (!mDb) {
        mError = "no database";
        return false;
    }
    char* message = nullptr;
    if (sqlite3_exec(mDb, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    mError = message ? message : sqlite3_errmsg(mDb);
    sqlite3_free(message);
    const int code = sqlite3_errcode(mDb) & 0xff;
    mDamaged = code == SQLITE_NOTADB || code == SQLITE_CORRUPT;
    return false;
}

bool ZRKDatabase::runOnce(const char* sql)
{
    if (mUndone && std::strncmp(sql, "ROLLBACK", 8) == 0)
        mUndone();
    Statement& s = prepare(sql);
    if (s.valid() && s.run())
        return true;
    noteError("cannot run");
    return false;
}

ZRKDatabase::Statement& ZRKDatabase::prepare(const std::string& sql)
{
    std::unique_ptr<Statement>& slot = mStatements[sql];
    if (slot && slot->valid()) {
        slot->reset();
        return *slot;
    }
    sqlite3_stmt* stmt = nullptr;
    if (!mDb || sqlite3_prepare_v2(mDb, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) != SQLITE_OK) {
        noteError("cannot prepare");
        stmt = nullptr;
    }
    slot.reset(new Statement(stmt));
    return *slot;
}

namespace {
void callFunction(sqlite3_context* context, int, sqlite3_value** args)
{
    auto fn = reinterpret_cast<std::string (*)(const std::string&)>(sqlite3_user_data(context));
    const unsigned char* text = sqlite3_value_text(args[0]);
    if (!text) {
        sqlite3_result_null(context);
        return;
    }
    try {
        const std::string out = fn(
            std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(sqlite3_value_bytes(args[0]))));
        sqlite3_result_text(context, out.data(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
    } catch (const std::exception&) {
        sqlite3_result_error_nomem(context);
    }
}
} // namespace

bool ZRKDatabase::defineFunction(const char* name, std::string (*fn)(const std::string&))
{
    if (!mDb)
        return false;
    if (sqlite3_create_function_v2(mDb, name, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, reinterpret_cast<void*>(fn),
                                   &callFunction, nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    noteError("cannot define a function");
    return false;
}

void ZRKDatabase::refuseCommits(int count)
{
    mRefusedCommits = count;
    if (!mDb)
        return;
    sqlite3_commit_hook(
        mDb,
        [](void* self) {
            int& left = static_cast<ZRKDatabase*>(self)->mRefusedCommits;
            return left > 0 ? (--left, 1) : 0;
        },
        this);
}

long long ZRKDatabase::lastInsertId() const { return mDb ? sqlite3_last_insert_rowid(mDb) : 0; }

int ZRKDatabase::changes() const { return mDb ? sqlite3_changes(mDb) : 0; }

void ZRKDatabase::noteError(const std::string& what)
{
    mError = what + ": " + (mDb ? sqlite3_errmsg(mDb) : "out of memory");
    const int code = mDb ? sqlite3_errcode(mDb) & 0xff : SQLITE_NOMEM;
    mDamaged = code == SQLITE_NOTADB || code == SQLITE_CORRUPT;
}

void ZRKDatabase::noteStepError()
{
    if (mDb)
        noteError("cannot read");
}

} // namespace zrk
} // namespace kavri3D
