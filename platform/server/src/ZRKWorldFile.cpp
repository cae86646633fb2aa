#include "server/ZRKWorldFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <set>
#include <sys/file.h>
#include <unistd.h>
#include <vector>
#include <yake/Logger.h>
#include <yake/PlayerFiles.h>
#include <yake/SetAside.h>
#include "server/ZRKDatabase.h"
#include "server/ZRKNameKey.h"
#include "server/ZRKPasswords.h"
#include "server/ZRKWorld.h"

namespace kavri3D {
namespace zrk {

namespace {

using yake::logging::Severity;

const yake::logging::Channel logLine("ZRKWorld");

const char* const kSchema = R"(
CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE accounts(a_id INTEGER PRIMARY KEY, name TEXT UNIQUE NOT NULL, password TEXT NOT NULL,
  player TEXT NOT NULL, elsewhere INTEGER NOT NULL DEFAULT 0);
CREATE TABLE players(name TEXT PRIMARY KEY, pc_id INTEGER NOT NULL DEFAULT 0, nick TEXT NOT NULL DEFAULT '',
  nick_key TEXT NOT NULL DEFAULT '',
  c_id INTEGER NOT NULL DEFAULT 0, lv INTEGER NOT NULL DEFAULT 1, exp INTEGER NOT NULL DEFAULT 0 CHECK(exp >= 0),
  rank INTEGER NOT NULL DEFAULT 0, newbie_task INTEGER NOT NULL DEFAULT 0,
  money1 INTEGER NOT NULL DEFAULT 0 CHECK(money1 >= 0), money2 INTEGER NOT NULL DEFAULT 0 CHECK(money2 >= 0),
  money3 INTEGER NOT NULL DEFAULT 0 CHECK(money3 >= 0), points INTEGER NOT NULL DEFAULT 0 CHECK(points >= 0),
  str INTEGER NOT NULL DEFAULT 0, vit INTEGER NOT NULL DEFAULT 0, dex INTEGER NOT NULL DEFAULT 0,
  luk INTEGER NOT NULL DEFAULT 0, bot INTEGER NOT NULL DEFAULT 0, looks TEXT NOT NULL DEFAULT '{}',
  settings TEXT NOT NULL DEFAULT '{}', record TEXT NOT NULL DEFAULT '{}', lists TEXT NOT NULL DEFAULT '{}');
CREATE TABLE quests(player TEXT NOT NULL REFERENCES players(name), q_id INTEGER NOT NULL, state INTEGER NOT NULL,
  progress INTEGER NOT NULL DEFAULT 0, PRIMARY KEY(player, q_id));
CREATE TABLE items(i_id INTEGER PRIMARY KEY, attrs TEXT NOT NULL);
CREATE TABLE inventory(lid INTEGER PRIMARY KEY, player TEXT NOT NULL REFERENCES players(name),
  i_id INTEGER NOT NULL REFERENCES items(i_id), bag INTEGER NOT NULL, slot INTEGER NOT NULL,
  count INTEGER NOT NULL DEFAULT 1 CHECK(count > 0), bind INTEGER NOT NULL DEFAULT 0, lv INTEGER NOT NULL DEFAULT 0,
  buy_time TEXT NOT NULL DEFAULT '', expiry_day INTEGER NOT NULL DEFAULT 0, pci_str INTEGER NOT NULL DEFAULT 0,
  pci_luck INTEGER NOT NULL DEFAULT 0, pci_dex INTEGER NOT NULL DEFAULT 0, pci_vit INTEGER NOT NULL DEFAULT 0,
  mix_times INTEGER NOT NULL DEFAULT 0, mix_max INTEGER NOT NULL DEFAULT 0, enh_f INTEGER NOT NULL DEFAULT 0,
  attr_x TEXT NOT NULL DEFAULT '', UNIQUE(player, slot));
CREATE TABLE documents(name TEXT PRIMARY KEY, value TEXT NOT NULL);
)";

/// The shop's ledger (schema 5): one row per purchase or renewal, under the id the client gave
/// it, with what it cost in each money kind and the answer it got.
const char* const kLedger = R"(
CREATE TABLE IF NOT EXISTS purchases(id TEXT PRIMARY KEY, player TEXT NOT NULL, kind TEXT NOT NULL,
  cost1 INTEGER NOT NULL, cost2 INTEGER NOT NULL, cost3 INTEGER NOT NULL, at INTEGER NOT NULL, answer TEXT NOT NULL);
)";

/// One nickname per player, as "taken" compares them: the world keeps each nickname's key
/// (ZRKNameKey) beside it, and the index holds the rule on that column. A plain column, not
/// the key computed in the index: any SQLite can check and read the file without our code.
const char* const kNickIndex = "CREATE UNIQUE INDEX players_nick ON players(nick_key) WHERE nick != '';";

/// What the items keep of the forge's work (schema 4), each column with its type.
const char* const kForgeColumns[][2] = {
    {"pci_str", "INTEGER NOT NULL DEFAULT 0"},   {"pci_luck", "INTEGER NOT NULL DEFAULT 0"},
    {"pci_dex", "INTEGER NOT NULL DEFAULT 0"},   {"pci_vit", "INTEGER NOT NULL DEFAULT 0"},
    {"mix_times", "INTEGER NOT NULL DEFAULT 0"}, {"mix_max", "INTEGER NOT NULL DEFAULT 0"},
    {"enh_f", "INTEGER NOT NULL DEFAULT 0"},     {"attr_x", "TEXT NOT NULL DEFAULT ''"},
};
const int kOldestUpgradable = 2;

} // namespace

ZRKWorldFile::ZRKWorldFile(ZRKDatabase& db) : mDb(db) {}

ZRKWorldFile::~ZRKWorldFile() { unlock(); }

void ZRKWorldFile::clearMarks()
{
    mInUse = false;
    mMovedAside = false;
}

bool ZRKWorldFile::lock(const std::string& path)
{
    unlock();
    const std::string lock = path + ".lock";
    // Never through a link planted at its name, never waiting on a FIFO there.
    // Whatever stands at its name that is no plain file is no game's lock: it goes (as itself).
    std::string why;
    mLockFd = yake::PlayerFiles::openReplacing(lock, O_RDWR, &why);
    if (mLockFd < 0) {
        logLine(Severity::Error, "world lock " + lock + " cannot be made: " + why);
        return false;
    }
    if (::flock(mLockFd, LOCK_EX | LOCK_NB) == 0)
        return true;
    if (errno == EWOULDBLOCK) {
        mInUse = true;
        logLine(Severity::Error, "world database " + path + " is in use by another game: this one plays without it");
    } else {
        logLine(Severity::Error, "world lock " + lock + " cannot be taken: " + std::strerror(errno));
    }
    ::close(mLockFd);
    mLockFd = -1;
    return false;
}

void ZRKWorldFile::unlock()
{
    if (mLockFd >= 0)
        ::close(mLockFd); // closing lets the lock go
    mLockFd = -1;
}

int ZRKWorldFile::schemaOf(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(path, ec)))
        return 0;
    // Not a plain file (a link, a FIFO): it tells no schema, and is never opened to ask.
    if (!yake::PlayerFiles::plainOrAbsent(path))
        return -1;
    ZRKDatabase peek;
    std::string copyFolder;
    if (fs::is_regular_file(fs::symlink_status(path + "-wal", ec))) {
        // What the log holds counts too (a newer game killed before it was folded in), but
        // reading it would change the files: a copy of both is read instead.
        std::string folder = (fs::temp_directory_path(ec) / "zrk-world-XXXXXX").string();
        if (ec || !::mkdtemp(&folder[0]))
            return -1;
        copyFolder = folder;
        fs::copy_file(path, folder + "/w.db", ec);
        if (!ec)
            fs::copy_file(path + "-wal", folder + "/w.db-wal", ec);
        if (ec || !peek.open(folder + "/w.db"))
            peek.close(); // unreadable: no schema told
    } else if (!peek.openToRead(path)) {
        return -1;
    }
    std::string found;
    if (peek.isOpen()) {
        ZRKDatabase::Statement& version = peek.prepare("SELECT value FROM meta WHERE key = 'schema'");
        found = version.valid() && version.step() ? version.text(0) : std::string();
        version.reset();
        peek.close();
    }
    if (!copyFolder.empty())
        fs::remove_all(copyFolder, ec);
    // Only a plain number is a schema of ours.
    if (found.empty() || found.size() > 9 || found.find_first_not_of("0123456789") != std::string::npos)
        return -1;
    return std::stoi(found);
}

ZRKWorldFile::Opening ZRKWorldFile::open(const std::string& path)
{
    if (!mDb.open(path) || !mDb.defineFunction("name_key", &ZRKNameKey::of)) {
        const bool damaged = mDb.lastFailureIsDamage();
        if (!damaged)
            logLine(Severity::Error, "world database " + path + " cannot be opened: " + mDb.lastError());
        mDb.close();
        return damaged ? Damaged : Unavailable;
    }
    ZRKDatabase::Statement& tables = mDb.prepare("SELECT count(*) FROM sqlite_master WHERE type = 'table'");
    const bool read = tables.step();
    if (!read)
        mDb.noteStepError();
    const bool empty = read && tables.integer(0) == 0;
    tables.reset();
    if (!read) {
        const bool damaged = mDb.lastFailureIsDamage();
        if (!damaged)
            logLine(Severity::Error, "world database " + path + " cannot be read: " + mDb.lastError());
        mDb.close();
        return damaged ? Damaged : Unavailable;
    }
    if (empty)
        return createSchema() ? Opened : Unavailable;
    Opening sound = checkSound();
    if (sound == OldSchema)
        sound = upgrade(mOldSchema) ? Opened : Unavailable;
    if (sound != Opened) {
        if (sound == Newer)
            mDb.keepFilesAtClose();
        if (sound == Unavailable)
            logLine(Severity::Error, "world database " + path + " cannot be checked: " + mDb.lastError());
        mDb.close();
    }
    return sound;
}

ZRKWorldFile::Opening ZRKWorldFile::checkSound()
{
    ZRKDatabase::Statement& check = mDb.prepare("PRAGMA quick_check");
    const bool read = check.step();
    if (!read)
        mDb.noteStepError();
    const bool ok = read && check.text(0) == "ok";
    check.reset();
    if (!read && !mDb.lastFailureIsDamage())
        return Unavailable; // busy, not broken: leave the file alone
    if (!ok)
        return Damaged;
    // A sound database of another kind (or another version of ours) is no world to serve either.
    ZRKDatabase::Statement& version = mDb.prepare("SELECT value FROM meta WHERE key = 'schema'");
    const std::string found = version.valid() && version.step() ? version.text(0) : std::string();
    version.reset();
    if (found == std::to_string(ZRKWorld::kSchemaVersion))
        return Opened;
    if (!found.empty() && found.size() <= 9 && found.find_first_not_of("0123456789") == std::string::npos &&
        std::stoi(found) > ZRKWorld::kSchemaVersion)
        return Newer; // made newer while we looked: still not ours to touch
    for (int older = kOldestUpgradable; older < ZRKWorld::kSchemaVersion; ++older)
        if (found == std::to_string(older)) {
            mOldSchema = older;
            return OldSchema;
        }
    return Damaged;
}

bool ZRKWorldFile::upgrade(int from)
{
    // All or nothing: a world half upgraded would hold what its schema does not promise.
    ZRKDatabase::Transaction t(mDb);
    bool ok = t.active();
    std::size_t hashed = 0;
    if (ok && from <= 2)
        ok = upgradeFrom2(hashed);
    if (ok && from <= 3)
        ok = addForgeColumns();
    if (ok && from <= 4)
        ok = mDb.exec(kLedger);
    if (ok && from <= 5)
        ok = addQuestProgress();
    if (ok && from <= 6)
        ok = keepNickKeys();
    ok = ok &&
         mDb.exec("UPDATE meta SET value = '" + std::to_string(ZRKWorld::kSchemaVersion) + "' WHERE key = 'schema'");
    if (!ok || !t.commit()) {
        logLine(Severity::Error, "world database " + mDb.path() + " cannot be upgraded from schema " +
                                     std::to_string(from) + ": " + mDb.lastError());
        return false;
    }
    if (from <= 2)
        logLine(Severity::Notice,
                "world upgraded from schema 2: " + std::to_string(hashed) + " passwords kept as hashes");
    logLine(Severity::Notice, "the world of schema " + std::to_string(from) + " was brought up to " +
                                  std::to_string(ZRKWorld::kSchemaVersion));
    return true;
}

bool ZRKWorldFile::addForgeColumns()
{
    std::set<std::string> have;
    ZRKDatabase::Statement& columns = mDb.prepare("PRAGMA table_info(inventory)");
    while (columns.step())
        have.insert(columns.text(1));
    columns.reset();
    bool ok = true;
    for (const auto& column : kForgeColumns)
        if (!have.count(column[0]))
            ok = ok && mDb.exec(std::string("ALTER TABLE inventory ADD COLUMN ") + column[0] + " " + column[1]);
    return ok;
}

bool ZRKWorldFile::addQuestProgress()
{
    ZRKDatabase::Statement& columns = mDb.prepare("PRAGMA table_info(quests)");
    bool have = false;
    while (columns.step())
        have = have || columns.text(1) == "progress";
    columns.reset();
    return have || mDb.exec("ALTER TABLE quests ADD COLUMN progress INTEGER NOT NULL DEFAULT 0");
}

bool ZRKWorldFile::createSchema()
{
    ZRKDatabase::Transaction t(mDb);
    if (!t.active() || !mDb.exec(kSchema) || !mDb.exec(kLedger) || !mDb.exec(kNickIndex) ||
        !mDb.exec("INSERT INTO meta VALUES('schema', '" + std::to_string(ZRKWorld::kSchemaVersion) + "')") ||
        !t.commit()) {
        logLine(Severity::Error, "world schema cannot be written: " + mDb.lastError());
        return false;
    }
    return true;
}

bool ZRKWorldFile::upgradeFrom2(std::size_t& hashed)
{
    // Inside upgrade's transaction: a world half upgraded would hold hashes its schema does not promise.
    bool ok = true;
    std::vector<std::pair<long long, std::string>> clear;
    ZRKDatabase::Statement& accounts = mDb.prepare("SELECT a_id, password FROM accounts");
    while (ok && accounts.step())
        if (!ZRKPasswords::isHash(accounts.text(1)))
            clear.emplace_back(accounts.integer(0), accounts.text(1));
    accounts.reset();
    for (auto& account : clear) {
        const std::string hash = ZRKPasswords::hash(account.second);
        std::fill(account.second.begin(), account.second.end(), '\0');
        ZRKDatabase::Statement& q = mDb.prepare("UPDATE accounts SET password = ? WHERE a_id = ?");
        ok = ok && !hash.empty() && q.bind(1, hash).bind(2, account.first).run();
    }
    // Names that the old rule let differ only by letter case: the later player's gets a mark,
    // so that every nickname stays one player's.
    std::map<std::string, int> keys;
    std::vector<std::pair<std::string, std::string>> renamed;
    ZRKDatabase::Statement& players =
        mDb.prepare("SELECT name, nick FROM players WHERE nick != '' ORDER BY bot, pc_id, name");
    while (ok && players.step()) {
        const std::string nick = players.text(1);
        int& seen = keys[ZRKNameKey::of(nick)];
        if (seen++ > 0)
            renamed.emplace_back(players.text(0), nick + "~" + std::to_string(seen));
    }
    players.reset();
    for (const auto& r : renamed) {
        ZRKDatabase::Statement& q = mDb.prepare("UPDATE players SET nick = ? WHERE name = ?");
        ok = ok && q.bind(1, r.second).bind(2, r.first).run();
        logLine(Severity::Warning, "player " + r.first + " shared a nickname by letter case: now " + r.second);
    }
    hashed = clear.size();
    return ok; // the index comes with the nicknames' keys (keepNickKeys)
}

bool ZRKWorldFile::keepNickKeys()
{
    // The index of schema 6 and before computed the key in SQL, with a function only the game
    // defines: it goes, the keys are kept in their column, and the index is made on that.
    bool have = false;
    ZRKDatabase::Statement& columns = mDb.prepare("PRAGMA table_info(players)");
    while (columns.step())
        have = have || columns.text(1) == "nick_key";
    columns.reset();
    bool ok = mDb.exec("DROP INDEX IF EXISTS players_nick") &&
              (have || mDb.exec("ALTER TABLE players ADD COLUMN nick_key TEXT NOT NULL DEFAULT ''"));
    std::vector<std::pair<std::string, std::string>> nicks;
    ZRKDatabase::Statement& players = mDb.prepare("SELECT name, nick FROM players");
    while (ok && players.step())
        nicks.emplace_back(players.text(0), players.text(1));
    players.reset();
    for (const auto& p : nicks) {
        ZRKDatabase::Statement& q = mDb.prepare("UPDATE players SET nick_key = ? WHERE name = ?");
        ok = ok && q.bind(1, ZRKWorld::nickKey(p.second)).bind(2, p.first).run();
    }
    return ok && mDb.exec(kNickIndex);
}

void ZRKWorldFile::moveAside(const std::string& path)
{
    mDb.close();
    const std::string aside = yake::SetAside::name(path, ".broken", 0);
    yake::SetAside::move(path, ".broken", {"-wal", "-shm"});
    std::remove(path.c_str());
    mMovedAside = true;
    logLine(Severity::Error,
            "world database " + path + " could not be read: moved aside to " + aside + ", seeding a fresh world");
}

} // namespace zrk
} // namespace kavri3D
