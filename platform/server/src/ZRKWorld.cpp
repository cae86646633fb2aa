#include "server/ZRKWorld.h"

#include <algorithm>
#include <set>
#include <cstring>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <yake/Logger.h>
#include <yake/SetAside.h>
#include "data/ZRKBagLayout.h"
#include "server/ZRKItemAttributes.h"
#include "server/ZRKNameKey.h"
#include "server/ZRKPasswords.h"
#include "server/ZRKWorldSeed.h"

namespace kavri3D {
namespace zrk {

namespace {

void logLine(unsigned severity, const std::string& text) { yake::logging::logger::instance().log(severity, "ZRKWorld", text); }

/// A document column as JSON; an object when it is not one (it was written by the world, but
/// a file can be edited by hand).
Json::Value parseColumn(const std::string& text)
{
    static const std::unique_ptr<Json::CharReader> reader = [] {
        Json::CharReaderBuilder builder;
        builder["stackLimit"] = 64;
        return std::unique_ptr<Json::CharReader>(builder.newCharReader());
    }();
    Json::Value v;
    std::string errors;
    try {
        if (!text.empty() && reader->parse(text.data(), text.data() + text.size(), &v, &errors))
            return v;
    } catch (const std::exception&) {
    }
    return Json::Value(Json::objectValue);
}

const char* const kMoneyColumns[ZRKWorld::MoneyKinds] = {"money1", "money2", "money3"};
const char* const kMoneyRefusals[ZRKWorld::MoneyKinds] = {"warning/no_enough_zaobi", "warning/no_enough_dianjuan",
                                                          "warning/no_enough_guabi"};

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

const char* const kItemColumns = "lid, i_id, bag, slot, count, bind, lv, buy_time, expiry_day, pci_str, pci_luck, pci_dex, "
                                 "pci_vit, mix_times, mix_max, enh_f, attr_x";

const char* const kPlayerColumns =
    "p.name, p.pc_id, p.nick, p.c_id, p.lv, p.exp, p.rank, p.newbie_task, p.money1, p.money2, p.money3, p.points, "
    "p.str, p.vit, p.dex, p.luk, p.bot, p.looks, p.settings, p.record, p.lists";

Json::Int64 big(long long v) { return static_cast<Json::Int64>(v); }

} // namespace

const char* const ZRKWorld::kAbilityNames[4] = {"str", "vit", "dex", "luk"};

ZRKWorld::ZRKWorld()
{
    mDb.setUndoListener([this]() { forgetAll(); });
}

ZRKWorld::~ZRKWorld()
{
    // The database goes last of the members but tells nobody: what it would tell goes first.
    mDb.setUndoListener(std::function<void()>());
    mDb.close();
    unlockFile();
}

bool ZRKWorld::lockFile(const std::string& path)
{
    unlockFile();
    const std::string lock = path + ".lock";
    mLockFd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (mLockFd < 0) {
        logLine(3, "world lock " + lock + " cannot be made: " + std::strerror(errno));
        return false;
    }
    if (::flock(mLockFd, LOCK_EX | LOCK_NB) == 0)
        return true;
    if (errno == EWOULDBLOCK) {
        mInUse = true;
        logLine(3, "world database " + path + " is in use by another game: this one plays without it");
    } else {
        logLine(3, "world lock " + lock + " cannot be taken: " + std::strerror(errno));
    }
    ::close(mLockFd);
    mLockFd = -1;
    return false;
}

void ZRKWorld::unlockFile()
{
    if (mLockFd >= 0)
        ::close(mLockFd); // closing lets the lock go
    mLockFd = -1;
}

void ZRKWorld::forget(const std::string& player)
{
    mPlayers.erase(player);
    mItems.erase(player);
    mQuests.erase(player);
    mInventoryViews.erase(player);
    mViews.erase(player);
    mCharacters.clear(); // the player may be among another's characters
}

void ZRKWorld::forgetAll()
{
    mPlayers.clear();
    mItems.clear();
    mQuests.clear();
    mInventoryViews.clear();
    mViews.clear();
    mCharacters.clear();
}

const Json::Value& ZRKWorld::playerView(const std::string& name, PlayerView which)
{
    const std::shared_ptr<const Json::Value> view = sharedPlayerView(name, which);
    return view ? *view : Json::Value::nullSingleton(); // the world keeps what it hands out
}

std::shared_ptr<const Json::Value> ZRKWorld::sharedPlayerView(const std::string& name, PlayerView which)
{
    Views& views = mViews[name];
    if (!views.value[which]) {
        const Player* p = player(name);
        if (!p) {
            mViews.erase(name);
            return nullptr;
        }
        if (which == CardView) {
            Json::Value card = infoView(*p);
            const Json::Value& pc = playerView(name, PcView);
            for (auto it = pc.begin(); it != pc.end(); ++it)
                card[it.name()] = *it;
            // The ammo bag a private dungeon is fought with: there is no chooser, the first.
            card["ca_id2"] = 1;
            views.value[which] = std::make_shared<Json::Value>(std::move(card));
        } else {
            views.value[which] = std::make_shared<Json::Value>(which == InfoView       ? infoView(*p)
                                                               : which == SettingsView ? settingsView(*p)
                                                                                       : pcView(*p));
        }
    }
    return views.value[which];
}

Json::Value& ZRKWorld::own(std::shared_ptr<Json::Value>& view)
{
    if (view.use_count() > 1)
        view = std::make_shared<Json::Value>(*view); // a reply still holds the one it was given
    return *view;
}

std::string ZRKWorld::nickKey(const std::string& nick) { return nick.empty() ? std::string() : ZRKNameKey::of(nick); }

int ZRKWorld::schemaOf(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::exists(path, ec))
        return 0;
    ZRKDatabase peek;
    std::string copyFolder;
    if (fs::exists(path + "-wal", ec)) {
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

bool ZRKWorld::open(const std::string& path, const std::string& fixtures, bool reset)
{
    mReady = false;
    mMovedAside = false;
    mInUse = false;
    mNewer = false;
    const bool file = path != ":memory:";
    // The lock comes before anything touches the file: a reset must not pull it from under
    // the game that plays on it.
    if (file && !lockFile(path))
        return false;
    // A newer game's world is left exactly as it is, even when asked to start afresh.
    const int schema = file ? schemaOf(path) : 0;
    if (schema > kSchemaVersion) {
        mNewer = true;
        logLine(3, "world database " + path + " was made by a newer version of the game (schema " +
                       std::to_string(schema) + "): left as it is");
        return false;
    }
    if (file && reset) {
        for (const char* end : {"", "-wal", "-shm"})
            std::remove((path + end).c_str());
        logLine(5, "world reset: seeding afresh from " + fixtures);
    }
    Opening opening = openFile(path);
    if (opening == Newer) {
        mNewer = true;
        return false;
    }
    if (opening == Damaged && file) {
        // Not a world this server can read: keep it for whoever wants to look, start afresh.
        moveAside(path);
        opening = openFile(path);
    }
    if (opening != Opened)
        return false;
    Json::Value seeded;
    ZRKDatabase::Statement& q = mDb.prepare("SELECT value FROM meta WHERE key = 'seeded'");
    const bool isSeeded = q.step() && q.text(0) == "1";
    q.reset();
    if (isSeeded) {
        refreshGameData(fixtures);
        readAccounts();
        mReady = true;
        return true;
    }
    ZRKDatabase::Transaction t(mDb);
    ZRKWorldSeed seed(*this, fixtures);
    if (!t.active() || !seed.run() || !mDb.exec("INSERT OR REPLACE INTO meta VALUES('seeded', '1')") ||
        !keepGameDataPrint(ZRKWorldSeed::gameDataPrint(fixtures)) || !t.commit()) {
        logLine(3, "the world could not be seeded from " + fixtures + ": " + seed.error());
        return false;
    }
    readAccounts();
    mReady = true;
    return true;
}

void ZRKWorld::refreshGameData(const std::string& fixtures)
{
    // The items, their classes and the libraries are the fixtures', whenever the world was
    // made: a newer game brings its new items to an older world, in one transaction that
    // leaves the players' own data alone. An unchanged set is seen by its print and costs no write.
    const std::string print = ZRKWorldSeed::gameDataPrint(fixtures);
    ZRKDatabase::Statement& q = mDb.prepare("SELECT value FROM meta WHERE key = 'game_data'");
    const std::string kept = q.step() ? q.text(0) : std::string();
    q.reset();
    if (!print.empty() && print == kept)
        return;
    ZRKDatabase::Transaction t(mDb);
    ZRKWorldSeed seed(*this, fixtures);
    if (print.empty() || !t.active() || !seed.refreshGameData() || !keepGameDataPrint(print) || !t.commit()) {
        logLine(3, "the world's game data could not be brought up to date from " + fixtures + ": " +
                       (seed.error().empty() ? mDb.lastError() : seed.error()) + "; it keeps what it had");
        mDocuments.clear();
        return;
    }
    mDocuments.clear();
    logLine(5, "the world's game data was brought up to date from " + fixtures);
}

bool ZRKWorld::keepGameDataPrint(const std::string& print)
{
    ZRKDatabase::Statement& q = mDb.prepare("INSERT OR REPLACE INTO meta(key, value) VALUES('game_data', ?)");
    q.bind(1, print);
    return q.run();
}

void ZRKWorld::readAccounts()
{
    // Accounts are not made or given away while the world serves.
    mAccountOf.clear();
    ZRKDatabase::Statement& q = mDb.prepare("SELECT player, min(a_id) FROM accounts GROUP BY player");
    while (q.step())
        mAccountOf[q.text(0)] = q.integer(1);
    q.reset();
}

ZRKWorld::Opening ZRKWorld::openFile(const std::string& path)
{
    if (!mDb.open(path) || !mDb.defineFunction("name_key", &ZRKNameKey::of)) {
        const bool damaged = mDb.lastFailureIsDamage();
        if (!damaged)
            logLine(3, "world database " + path + " cannot be opened: " + mDb.lastError());
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
            logLine(3, "world database " + path + " cannot be read: " + mDb.lastError());
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
            logLine(3, "world database " + path + " cannot be checked: " + mDb.lastError());
        mDb.close();
    }
    return sound;
}

ZRKWorld::Opening ZRKWorld::checkSound()
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
    if (found == std::to_string(kSchemaVersion))
        return Opened;
    if (!found.empty() && found.size() <= 9 && found.find_first_not_of("0123456789") == std::string::npos &&
        std::stoi(found) > kSchemaVersion)
        return Newer; // made newer while we looked: still not ours to touch
    for (int older = kOldestUpgradable; older < kSchemaVersion; ++older)
        if (found == std::to_string(older)) {
            mOldSchema = older;
            return OldSchema;
        }
    return Damaged;
}

bool ZRKWorld::upgrade(int from)
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
    ok = ok && mDb.exec("UPDATE meta SET value = '" + std::to_string(kSchemaVersion) + "' WHERE key = 'schema'");
    if (!ok || !t.commit()) {
        logLine(3, "world database " + mDb.path() + " cannot be upgraded from schema " + std::to_string(from) + ": " +
                       mDb.lastError());
        return false;
    }
    if (from <= 2)
        logLine(5, "world upgraded from schema 2: " + std::to_string(hashed) + " passwords kept as hashes");
    logLine(5, "the world of schema " + std::to_string(from) + " was brought up to " + std::to_string(kSchemaVersion));
    return true;
}

bool ZRKWorld::addForgeColumns()
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

bool ZRKWorld::addQuestProgress()
{
    ZRKDatabase::Statement& columns = mDb.prepare("PRAGMA table_info(quests)");
    bool have = false;
    while (columns.step())
        have = have || columns.text(1) == "progress";
    columns.reset();
    return have || mDb.exec("ALTER TABLE quests ADD COLUMN progress INTEGER NOT NULL DEFAULT 0");
}

bool ZRKWorld::createSchema()
{
    ZRKDatabase::Transaction t(mDb);
    if (!t.active() || !mDb.exec(kSchema) || !mDb.exec(kLedger) || !mDb.exec(kNickIndex) ||
        !mDb.exec("INSERT INTO meta VALUES('schema', '" + std::to_string(kSchemaVersion) + "')") || !t.commit()) {
        logLine(3, "world schema cannot be written: " + mDb.lastError());
        return false;
    }
    return true;
}

bool ZRKWorld::upgradeFrom2(std::size_t& hashed)
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
    ZRKDatabase::Statement& players = mDb.prepare("SELECT name, nick FROM players WHERE nick != '' ORDER BY bot, pc_id, name");
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
        logLine(4, "player " + r.first + " shared a nickname by letter case: now " + r.second);
    }
    hashed = clear.size();
    return ok; // the index comes with the nicknames' keys (keepNickKeys)
}

bool ZRKWorld::keepNickKeys()
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
        ok = ok && q.bind(1, nickKey(p.second)).bind(2, p.first).run();
    }
    return ok && mDb.exec(kNickIndex);
}

void ZRKWorld::moveAside(const std::string& path)
{
    mDb.close();
    const std::string aside = yake::SetAside::name(path, ".broken", 0);
    yake::SetAside::move(path, ".broken", {"-wal", "-shm"});
    std::remove(path.c_str());
    mMovedAside = true;
    logLine(3, "world database " + path + " could not be read: moved aside to " + aside + ", seeding a fresh world");
}

bool ZRKWorld::findAccount(const std::string& name, Account& out)
{
    ZRKDatabase::Statement& q = mDb.prepare("SELECT a_id, name, password, player, elsewhere FROM accounts WHERE name = ?");
    q.bind(1, name);
    const bool found = q.step();
    if (found) {
        out.id = q.integer(0);
        out.name = q.text(1);
        out.passwordHash = q.text(2);
        out.player = q.text(3);
        out.elsewhere = q.integer(4) != 0;
    }
    q.reset();
    return found;
}

bool ZRKWorld::loadPlayer(const std::string& name, Player& out)
{
    const Player* known = player(name);
    if (known)
        out = *known;
    return known != nullptr;
}

const ZRKWorld::Player* ZRKWorld::player(const std::string& name)
{
    auto known = mPlayers.find(name);
    if (known != mPlayers.end())
        return &known->second;
    Player out;
    static const std::string kSelect = std::string("SELECT ") + kPlayerColumns + " FROM players p WHERE p.name = ?";
    ZRKDatabase::Statement& q = mDb.prepare(kSelect);
    q.bind(1, name);
    const bool found = q.step();
    if (found) {
        int c = 0;
        out.name = q.text(c++);
        out.pcId = q.integer(c++);
        out.nick = q.text(c++);
        out.cId = q.integer(c++);
        out.lv = q.integer(c++);
        out.exp = q.integer(c++);
        out.rank = q.integer(c++);
        out.newbieTask = q.integer(c++);
        for (long long& m : out.money)
            m = q.integer(c++);
        out.points = q.integer(c++);
        for (long long& a : out.abilities)
            a = q.integer(c++);
        out.bot = q.integer(c++) != 0;
        // The documents rarely change: each is read again only when its text did.
        Parsed& known = mParsed[out.name];
        std::shared_ptr<const Json::Value>* const documents[] = {&out.looks, &out.settings, &out.record, &out.lists};
        for (int d = 0; d < 4; ++d) {
            const char* raw = reinterpret_cast<const char*>(q.rawText(c));
            const std::size_t size = q.size(c++);
            if (!known.value[d] || known.text[d].size() != size || known.text[d].compare(0, size, raw, size)) {
                known.text[d].assign(raw, size);
                known.value[d] = std::make_shared<const Json::Value>(parseColumn(known.text[d]));
            }
            *documents[d] = known.value[d];
        }
        auto account = mAccountOf.find(out.name);
        out.accountId = account == mAccountOf.end() ? 0 : account->second;
    }
    q.reset();
    return found ? &(mPlayers[name] = std::move(out)) : nullptr;
}

bool ZRKWorld::hasPlayer(const std::string& name)
{
    ZRKDatabase::Statement& q = mDb.prepare("SELECT 1 FROM players WHERE name = ?");
    q.bind(1, name);
    const bool found = q.step();
    q.reset();
    return found;
}

std::string ZRKWorld::playerOfCharacter(long long pcId)
{
    if (pcId <= 0)
        return std::string();
    ZRKDatabase::Statement& q = mDb.prepare("SELECT name FROM players WHERE pc_id = ?");
    q.bind(1, pcId);
    const std::string name = q.step() ? q.text(0) : std::string();
    q.reset();
    return name;
}

std::vector<ZRKWorld::Item> ZRKWorld::items(const std::string& player)
{
    auto known = mItems.find(player);
    if (known != mItems.end())
        return known->second;
    std::vector<Item> out;
    ZRKDatabase::Statement& q =
        mDb.prepare(std::string("SELECT ") + kItemColumns + " FROM inventory WHERE player = ? ORDER BY slot");
    q.bind(1, player);
    while (q.step()) {
        Item i;
        i.lid = q.integer(0);
        i.id = q.integer(1);
        i.bag = static_cast<int>(q.integer(2));
        i.slot = static_cast<int>(q.integer(3));
        i.count = q.integer(4);
        i.bind = q.integer(5) ? 1 : 0;
        i.lv = static_cast<int>(q.integer(6));
        i.buyTime = q.text(7);
        i.expiryDay = static_cast<int>(q.integer(8));
        for (int b = 0; b < 4; ++b)
            i.bonus[b] = q.integer(9 + b);
        i.mixTimes = q.integer(13);
        i.mixMax = q.integer(14);
        i.enhF = q.integer(15);
        i.attrX = q.text(16);
        out.push_back(i);
    }
    q.reset();
    mItems[player] = out;
    return out;
}

std::shared_ptr<const Json::Value> ZRKWorld::sharedQuests(const std::string& player)
{
    auto known = mQuests.find(player);
    if (known != mQuests.end())
        return known->second;
    auto made = std::make_shared<Json::Value>(Json::arrayValue);
    mQuests[player] = made;
    Json::Value& out = *made;
    for (const Quest& quest : questRows(player)) {
        Json::Value& entry = out.append(Json::Value(Json::objectValue));
        entry[Json::StaticString("q_id")] = big(quest.id);
        entry[Json::StaticString("state")] = big(quest.state);
        entry[Json::StaticString("progress")] = big(quest.progress);
    }
    return made;
}

std::vector<ZRKWorld::Quest> ZRKWorld::questRows(const std::string& player)
{
    std::vector<Quest> out;
    ZRKDatabase::Statement& q = mDb.prepare("SELECT q_id, state, progress FROM quests WHERE player = ? ORDER BY q_id");
    q.bind(1, player);
    while (q.step()) {
        Quest quest;
        quest.id = q.integer(0);
        quest.state = q.integer(1);
        quest.progress = q.integer(2);
        out.push_back(quest);
    }
    q.reset();
    return out;
}

bool ZRKWorld::setQuest(const std::string& player, const Quest& quest)
{
    ZRKDatabase::Statement& q = mDb.prepare("UPDATE quests SET state = ?1, progress = ?2 WHERE player = ?3 AND q_id = ?4");
    q.bind(1, quest.state).bind(2, quest.progress).bind(3, player).bind(4, quest.id);
    const bool done = q.run() && mDb.changes() == 1;
    mQuests.erase(player);
    return done;
}

Json::Value ZRKWorld::purchaseAnswer(const std::string& id, const std::string& player)
{
    ZRKDatabase::Statement& q = mDb.prepare("SELECT answer FROM purchases WHERE id = ? AND player = ?");
    q.bind(1, id).bind(2, player);
    Json::Value answer;
    if (q.step())
        answer = parseColumn(q.text(0));
    q.reset();
    return answer;
}

bool ZRKWorld::purchaseKnown(const std::string& id)
{
    ZRKDatabase::Statement& q = mDb.prepare("SELECT 1 FROM purchases WHERE id = ?");
    q.bind(1, id);
    const bool known = q.step();
    q.reset();
    return known;
}

bool ZRKWorld::recordPurchase(const std::string& id, const std::string& player, const std::string& kind,
                              const long long cost[MoneyKinds], long long at, const Json::Value& answer)
{
    Json::FastWriter writer;
    ZRKDatabase::Statement& q = mDb.prepare(
        "INSERT INTO purchases(id, player, kind, cost1, cost2, cost3, at, answer) VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
    q.bind(1, id).bind(2, player).bind(3, kind).bind(4, cost[0]).bind(5, cost[1]).bind(6, cost[2]).bind(7, at);
    q.bind(8, writer.write(answer));
    return q.run();
}

bool ZRKWorld::putDocument(const std::string& name, const Json::Value& value)
{
    Json::FastWriter writer;
    ZRKDatabase::Statement& q = mDb.prepare("INSERT OR REPLACE INTO documents(name, value) VALUES(?, ?)");
    q.bind(1, name).bind(2, writer.write(value));
    if (!q.run())
        return false;
    mDocuments[name] = value;
    return true;
}

const Json::Value& ZRKWorld::document(const std::string& name)
{
    auto known = mDocuments.find(name);
    if (known != mDocuments.end())
        return known->second;
    Json::Value out;
    if (name == "lib/item") {
        out = Json::Value(Json::objectValue);
        ZRKDatabase::Statement& q = mDb.prepare("SELECT i_id, attrs FROM items ORDER BY i_id");
        while (q.step())
            out[std::to_string(q.integer(0))] = ZRKItemAttributes::complete(parseColumn(q.text(1)));
        q.reset();
    } else {
        ZRKDatabase::Statement& q = mDb.prepare("SELECT value FROM documents WHERE name = ?");
        q.bind(1, name);
        if (q.step())
            out = parseColumn(q.text(0));
        q.reset();
        if (out.isNull())
            return Json::Value::nullSingleton(); // not kept: a name asked for need not exist
    }
    return mDocuments.emplace(name, std::move(out)).first->second;
}

Json::Value ZRKWorld::infoView(const Player& p)
{
    Json::Value v(Json::objectValue);
    v[Json::StaticString("a_id")] = big(p.accountId);
    v[Json::StaticString("a_username")] = p.name;
    v[Json::StaticString("pc_id")] = big(p.pcId);
    v[Json::StaticString("nick")] = p.nick;
    v[Json::StaticString("c_id")] = big(p.cId);
    return v;
}

Json::Value ZRKWorld::settingsView(const Player& p)
{
    static const Json::StaticString money[MoneyKinds] = {Json::StaticString("pc_money1"), Json::StaticString("pc_money2"),
                                                         Json::StaticString("pc_money3")};
    static const Json::StaticString abilities[4] = {Json::StaticString("pc_str"), Json::StaticString("pc_vit"),
                                                    Json::StaticString("pc_dex"), Json::StaticString("pc_luk")};
    const Json::Value& settings = Player::doc(p.settings);
    Json::Value v = settings.isObject() ? settings : Json::Value(Json::objectValue);
    v[Json::StaticString("pc_id")] = big(p.pcId);
    v[Json::StaticString("a_id")] = big(p.accountId);
    v[Json::StaticString("pc_nickname")] = p.nick;
    v[Json::StaticString("c_id")] = big(p.cId);
    v[Json::StaticString("pc_lv")] = big(p.lv);
    v[Json::StaticString("pc_exp")] = big(p.exp);
    v[Json::StaticString("pc_rank")] = big(p.rank);
    v[Json::StaticString("pc_newbie_task")] = big(p.newbieTask);
    v[Json::StaticString("pc_stp")] = big(p.points);
    for (int k = 0; k < MoneyKinds; ++k)
        v[money[k]] = big(p.money[k]);
    for (int a = 0; a < 4; ++a)
        v[abilities[a]] = big(p.abilities[a]);
    // The default look's part indexes, so every other player dresses this one's doll as chosen.
    static const Json::StaticString parts[5] = {Json::StaticString("def_hair"), Json::StaticString("def_face"),
                                                Json::StaticString("def_coat"), Json::StaticString("def_glove"),
                                                Json::StaticString("def_shoes")};
    const Json::Value& looks = Player::doc(p.looks);
    for (const Json::StaticString& part : parts) {
        const Json::Value& index = looks.isObject() ? looks[part] : Json::Value::nullSingleton();
        if (index.isInt() && index.asInt() >= 0 && index.asInt() <= 999)
            v[part] = index.asInt();
    }
    if (p.bot) {
        // The battle's aim of the server's own players reads how good a shot each is (the room
        // marks them "bot" among its battle values).
        const Json::Value& skill = looks.isObject() ? looks["pc_bot_skill"] : Json::Value::nullSingleton();
        v[Json::StaticString("pc_bot_skill")] = skill.isInt() ? std::min(std::max(skill.asInt(), 0), 100) : 50;
    }
    return v;
}

Json::Value ZRKWorld::pcView(const Player& p)
{
    Json::Value v = settingsView(p);
    v[Json::StaticString("pc_points")] = big(p.points);
    return v;
}

std::shared_ptr<const Json::Value> ZRKWorld::sharedCharactersView(const std::string& name)
{
    auto known = mCharacters.find(name);
    if (known != mCharacters.end())
        return known->second;
    static const std::shared_ptr<const Json::Value> none = std::make_shared<const Json::Value>(Json::arrayValue);
    const Player* own = player(name);
    if (!own)
        return none;
    const Json::Value& lists = Player::doc(own->lists);
    const Json::Value& names = lists.isObject() ? lists["characters"] : Json::Value::nullSingleton();
    std::vector<std::string> characters;
    if (names.isArray()) {
        for (const Json::Value& n : names)
            if (n.isString() && std::find(characters.begin(), characters.end(), n.asString()) == characters.end())
                characters.push_back(n.asString());
    } else if (own->pcId != 0) {
        characters.push_back(name);
    }
    auto list = std::make_shared<Json::Value>(Json::arrayValue);
    for (const std::string& c : characters) {
        const Json::Value& settings = playerView(c, SettingsView);
        if (!settings.isNull())
            list->append(settings);
    }
    return mCharacters[name] = list;
}

std::shared_ptr<const Json::Value> ZRKWorld::sharedInventoryView(const std::string& player)
{
    auto known = mInventoryViews.find(player);
    if (known != mInventoryViews.end() && known->second.current.value)
        return known->second.current.value;
    const std::vector<Item> items = this->items(player);
    const Player* owner = this->player(player);
    BagView& current = mInventoryViews[player].current;
    current.value = std::make_shared<Json::Value>(Json::objectValue);
    current.shown.clear();
    Json::Value& v = *current.value;
    v[Json::StaticString("time")] = big(mInventoryTime);
    v[Json::StaticString("pc_bag_slot")] = owner ? bagSlots(*owner) : 0;
    v[Json::StaticString("pc_id")] = big(owner ? owner->pcId : 0);
    Json::Value& list = v[Json::StaticString("items")] = Json::Value(Json::arrayValue);
    for (const Item& i : items) {
        current.shown.push_back(BagView::Shown{i.lid, i.bag, i.slot, i.bind});
        Json::Value& entry = list.append(Json::Value(Json::objectValue));
        entry[Json::StaticString("lid")] = big(i.lid);
        entry[Json::StaticString("i_id")] = big(i.id);
        entry[Json::StaticString("pc_id")] = big(owner ? owner->pcId : 0);
        entry[Json::StaticString("bag")] = i.bag;
        entry[Json::StaticString("pci_slot")] = i.slot;
        entry[Json::StaticString("pci_num")] = big(i.count);
        entry[Json::StaticString("pci_bind")] = i.bind;
        entry[Json::StaticString("pci_lv")] = i.lv;
        entry[Json::StaticString("pci_buy_time")] = i.buyTime;
        entry[Json::StaticString("pci_expiry_day")] = i.expiryDay;
        static const Json::StaticString bonuses[4] = {Json::StaticString("pci_str"), Json::StaticString("pci_luck"),
                                                      Json::StaticString("pci_dex"), Json::StaticString("pci_vit")};
        for (int b = 0; b < 4; ++b)
            entry[bonuses[b]] = big(i.bonus[b]);
        entry[Json::StaticString("mix_times")] = big(i.mixTimes);
        entry[Json::StaticString("mix_max")] = big(i.mixMax);
        entry[Json::StaticString("enh_f")] = big(i.enhF);
        entry[Json::StaticString("attr_x")] = i.attrX;
    }
    return current.value;
}

int ZRKWorld::bagSlots(const Player& p) const
{
    const Json::Value& settings = Player::doc(p.settings);
    const Json::Value& n = settings.isObject() ? settings["pc_bag_slot"] : Json::Value::nullSingleton();
    const int given = n.isIntegral() ? n.asInt() : ZRKBagLayout::kMainSize;
    return std::max(0, std::min(given, static_cast<int>(ZRKBagLayout::kMainSize)));
}

const Json::Value& ZRKWorld::itemAttrs(long long itemId)
{
    auto known = mItemAttrs.find(itemId);
    if (known != mItemAttrs.end())
        return known->second;
    ZRKDatabase::Statement& q = mDb.prepare("SELECT attrs FROM items WHERE i_id = ?");
    q.bind(1, itemId);
    Json::Value attrs;
    if (q.step())
        attrs = parseColumn(q.text(0));
    q.reset();
    return mItemAttrs[itemId] = attrs.isObject() ? attrs : Json::Value();
}

const Json::Value& ZRKWorld::subClassOf(long long itemId)
{
    const Json::Value& attrs = itemAttrs(itemId);
    const Json::Value& isc = attrs.isObject() ? attrs["isc_id"] : Json::Value::nullSingleton();
    const Json::Value& classes = document("itemClasses");
    if (!isc.isIntegral() || !classes.isArray())
        return Json::Value::nullSingleton();
    for (const Json::Value& c : classes)
        if (c.isObject() && c["isc_id"].isIntegral() && c["isc_id"].asLargestInt() == isc.asLargestInt())
            return c;
    return Json::Value::nullSingleton();
}

bool ZRKWorld::fits(long long itemId, int slot, const Player& p)
{
    const int bag = ZRKBagLayout::bagOf(slot);
    if (bag == ZRKBagLayout::Temporary || bag < 0)
        return false; // the temporary bag only ever receives: the quit box empties it
    if (bag == ZRKBagLayout::Main)
        return slot < ZRKBagLayout::kMainFirst + bagSlots(p);
    const Json::Value& kind = subClassOf(itemId);
    if (!kind.isObject())
        return false;
    // The weapon bags take weapons, the props bag props.
    if (bag != ZRKBagLayout::Worn)
        return kind["ic_name"].isString() && kind["ic_name"].asString() == (bag == ZRKBagLayout::Props ? "prop" : "weapon");
    const Json::Value& cId = itemAttrs(itemId)["c_id"];
    if (cId.isIntegral() && cId.asLargestInt() != 0 && cId.asLargestInt() != p.cId)
        return false;
    return kind["isc_slot"].isIntegral() && kind["isc_slot"].asLargestInt() == slot;
}

bool ZRKWorld::addAbilities(const std::string& player, const long long add[4], std::string& refusal)
{
    long long sum = 0;
    for (int a = 0; a < 4; ++a) {
        if (add[a] < 0 || add[a] > 100000) {
            refusal = "error/srv_bad_request";
            return false;
        }
        sum += add[a];
    }
    if (sum == 0 && this->player(player)) // nothing to add: nothing changes, no view is made again
        return true;
    ZRKDatabase::Statement& q = mDb.prepare(
        "UPDATE players SET points = points - ?1, str = str + ?2, vit = vit + ?3, dex = dex + ?4, luk = luk + ?5 "
        "WHERE name = ?6 AND points >= ?1");
    q.bind(1, sum).bind(2, add[0]).bind(3, add[1]).bind(4, add[2]).bind(5, add[3]).bind(6, player);
    if (!q.run() || mDb.changes() == 0) {
        refusal = "error/srv_points";
        return false;
    }
    // What is known of the player changes with it (undoing the work forgets it all).
    auto known = mPlayers.find(player);
    if (known == mPlayers.end()) {
        forget(player);
        return true;
    }
    Player& p = known->second;
    p.points -= sum;
    for (int a = 0; a < 4; ++a)
        p.abilities[a] += add[a];
    // The one view that shows them follows.
    auto views = mViews.find(player);
    if (views != mViews.end()) {
        views->second.value[SettingsView].reset(); // made afresh when next asked for
        views->second.value[CardView].reset();
    }
    mCharacters.clear();
    if (views != mViews.end() && views->second.value[PcView]) {
        Json::Value& pc = own(views->second.value[PcView]);
        pc[Json::StaticString("pc_points")] = big(p.points);
        pc[Json::StaticString("pc_stp")] = big(p.points);
        for (int a = 0; a < 4; ++a)
            pc[std::string("pc_") + kAbilityNames[a]] = big(p.abilities[a]);
    }
    return true;
}

bool ZRKWorld::syncBagView(BagView& view, const std::vector<Item>& bag)
{
    Json::Value& list = (*view.value)[Json::StaticString("items")];
    if (!list.isArray() || list.size() != bag.size() || view.shown.size() != bag.size())
        return false; // not the bag it showed
    // The entries take the bag's order by swaps, then the moved ones their new places.
    for (std::size_t i = 0; i < bag.size(); ++i) {
        if (view.shown[i].lid == bag[i].lid)
            continue;
        std::size_t j = i + 1;
        while (j < bag.size() && view.shown[j].lid != bag[i].lid)
            ++j;
        if (j == bag.size())
            return false;
        list[static_cast<Json::ArrayIndex>(i)].swap(list[static_cast<Json::ArrayIndex>(j)]);
        std::swap(view.shown[i], view.shown[j]);
    }
    for (std::size_t i = 0; i < bag.size(); ++i) {
        BagView::Shown& shown = view.shown[i];
        const Item& item = bag[i];
        if (shown.bag == item.bag && shown.slot == item.slot && shown.bind == item.bind)
            continue;
        Json::Value& entry = list[static_cast<Json::ArrayIndex>(i)];
        entry[Json::StaticString("bag")] = item.bag;
        entry[Json::StaticString("pci_slot")] = item.slot;
        entry[Json::StaticString("pci_bind")] = item.bind;
        shown = BagView::Shown{item.lid, item.bag, item.slot, item.bind};
    }
    return true;
}

bool ZRKWorld::moveItems(const std::string& player, const std::vector<std::pair<int, int>>& moves, std::string& refusal,
                         std::vector<int>* changed)
{
    const Player* owner = this->player(player);
    if (!owner) {
        refusal = "error/srv_no_person";
        return false;
    }
    const Player self = *owner; // the checks below may read the world's caches
    // Every move is tried on the bag as known first: a refusal leaves the world untouched.
    std::vector<Item> bag = items(player);
    struct Place {
        int slot, bind;
    };
    std::vector<Place> before; // where each item was
    before.reserve(bag.size());
    for (const Item& i : bag)
        before.push_back(Place{i.slot, i.bind});
    auto at = [&bag](int slot) {
        for (std::size_t i = 0; i < bag.size(); ++i)
            if (bag[i].slot == slot)
                return static_cast<int>(i);
        return -1;
    };
    // An item landing on a worn slot must be made for it, and is bound by wearing it.
    auto land = [this, &bag, &self](int index, int slot) {
        Item& item = bag[static_cast<std::size_t>(index)];
        if (!fits(item.id, slot, self))
            return false;
        item.slot = slot;
        if (ZRKBagLayout::bagOf(slot) == ZRKBagLayout::Worn)
            item.bind = 1;
        return true;
    };
    for (const auto& move : moves) {
        const int from = move.first;
        const int to = move.second;
        if (ZRKBagLayout::bagOf(from) < 0 || ZRKBagLayout::bagOf(to) < 0 || from == to) {
            refusal = "error/srv_slot";
            return false;
        }
        const int moving = at(from);
        if (moving < 0) {
            refusal = "error/srv_no_item";
            return false;
        }
        const int there = at(to);
        if (!land(moving, to) || (there >= 0 && !land(there, from))) {
            refusal = ZRKBagLayout::bagOf(to) == ZRKBagLayout::Worn || ZRKBagLayout::bagOf(from) == ZRKBagLayout::Worn
                          ? "error/srv_wear"
                          : "error/srv_slot";
            return false;
        }
    }
    if (changed) {
        std::vector<int> slots;
        for (std::size_t i = 0; i < bag.size(); ++i)
            if (bag[i].slot != before[i].slot || bag[i].bind != before[i].bind) {
                slots.push_back(before[i].slot);
                slots.push_back(bag[i].slot);
            }
        std::sort(slots.begin(), slots.end());
        slots.erase(std::unique(slots.begin(), slots.end()), slots.end());
        *changed = slots;
    }
    for (std::size_t i = 0; i < bag.size(); ++i)
        if (bag[i].bind != before[i].bind) {
            ZRKDatabase::Statement& q = mDb.prepare("UPDATE inventory SET bind = ? WHERE lid = ?");
            q.bind(1, bag[i].bind).bind(2, bag[i].lid);
            if (!q.run()) {
                forget(player);
                refusal = "error/srv_slot";
                return false;
            }
        }
    // Then the items that ended elsewhere are written, each once its place is free; items that
    // wait on each other (a swap) go through a slot in no bag (0 and below) first, so that no two
    // items ever share a slot.
    std::vector<std::size_t> pending;
    for (std::size_t i = 0; i < bag.size(); ++i)
        if (bag[i].slot != before[i].slot)
            pending.push_back(i);
    std::vector<int> held(before.size()); // each item's slot as written so far
    for (std::size_t i = 0; i < before.size(); ++i)
        held[i] = before[i].slot;
    auto free = [&held](int slot) { return std::find(held.begin(), held.end(), slot) == held.end(); };
    auto place = [this, &bag, &held](std::size_t i, int slot) {
        held[i] = slot;
        // One row at a time: nothing for a statement journal to keep.
        ZRKDatabase::Statement& q = mDb.prepare("UPDATE OR FAIL inventory SET slot = ?, bag = ? WHERE lid = ?");
        q.bind(1, slot).bind(2, ZRKBagLayout::bagOf(slot)).bind(3, bag[i].lid);
        return q.run();
    };
    bool written = true;
    int aside = 0;
    while (!pending.empty() && written) {
        bool progress = false;
        for (auto it = pending.begin(); it != pending.end() && written;)
            if (free(bag[*it].slot)) {
                written = place(*it, bag[*it].slot);
                bag[*it].bag = ZRKBagLayout::bagOf(bag[*it].slot);
                it = pending.erase(it);
                progress = true;
            } else {
                ++it;
            }
        if (!progress && written)
            written = place(pending.front(), aside--);
    }
    if (!written) {
        forget(player); // the caller's transaction, rolled back, takes the rest back
        refusal = "error/srv_slot";
        return false;
    }
    std::sort(bag.begin(), bag.end(), [](const Item& a, const Item& b) { return a.slot < b.slot; });
    ++mInventoryTime;
    // The bag's view follows in place: the same entries in their new order, their places changed.
    // When replies still hold it, an older one let go since is brought up to date instead.
    auto views = mInventoryViews.find(player);
    if (views != mInventoryViews.end()) {
        BagViews& kept = views->second;
        BagView view;
        if (kept.current.free()) {
            view = std::move(kept.current);
        } else {
            auto free = std::find_if(kept.spares.begin(), kept.spares.end(), [](const BagView& v) { return v.free(); });
            if (free != kept.spares.end()) {
                view = std::move(*free);
                kept.spares.erase(free);
            }
            if (kept.current.value) {
                if (kept.spares.size() >= kSpareBagViews)
                    kept.spares.erase(kept.spares.begin());
                kept.spares.push_back(std::move(kept.current));
            }
        }
        kept.current = BagView(); // none free: made afresh when next asked for
        if (view.value && syncBagView(view, bag)) {
            (*view.value)[Json::StaticString("time")] = big(mInventoryTime);
            kept.current = std::move(view);
        }
    }
    mItems[player] = std::move(bag);
    return true;
}

bool ZRKWorld::setGrade(const std::string& player, long long lv, long long rank)
{
    ZRKDatabase::Statement& q = mDb.prepare("UPDATE players SET lv = ?, rank = ? WHERE name = ?");
    q.bind(1, lv).bind(2, rank).bind(3, player);
    const bool done = q.run() && mDb.changes() > 0;
    forget(player); // every view of the player shows the new grade
    return done;
}

bool ZRKWorld::raiseNewbieTask(const std::string& player, long long task)
{
    if (!hasPlayer(player))
        return false;
    ZRKDatabase::Statement& q = mDb.prepare("UPDATE players SET newbie_task = ?1 WHERE name = ?2 AND newbie_task < ?1");
    q.bind(1, task).bind(2, player);
    const bool done = q.run();
    forget(player);
    return done;
}

bool ZRKWorld::addMoney(const std::string& player, MoneyKind kind, long long delta, std::string& refusal)
{
    if (kind < 0 || kind >= MoneyKinds || !hasPlayer(player)) {
        refusal = "error/srv_bad_request";
        return false;
    }
    const std::string column = kMoneyColumns[kind];
    ZRKDatabase::Statement& q = mDb.prepare("UPDATE players SET " + column + " = " + column + " + ?1 WHERE name = ?2 AND " +
                                            column + " + ?1 >= 0");
    q.bind(1, delta).bind(2, player);
    if (!q.run() || mDb.changes() == 0) {
        refusal = kMoneyRefusals[kind];
        return false;
    }
    auto known = mPlayers.find(player);
    if (known == mPlayers.end()) {
        forget(player);
        return true;
    }
    known->second.money[kind] += delta;
    auto views = mViews.find(player);
    if (views != mViews.end()) {
        views->second.value[SettingsView].reset(); // made afresh when next asked for
        views->second.value[CardView].reset();
    }
    mCharacters.clear();
    if (views != mViews.end() && views->second.value[PcView])
        own(views->second.value[PcView])["pc_money" + std::to_string(kind + 1)] = big(known->second.money[kind]);
    return true;
}

void ZRKWorld::bagChanged(const std::string& player)
{
    mItems.erase(player);
    mInventoryViews.erase(player);
    ++mInventoryTime;
}

bool ZRKWorld::writeItem(const std::string& player, const Item& item)
{
    bagChanged(player);
    if (item.count <= 0) {
        ZRKDatabase::Statement& q = mDb.prepare("DELETE FROM inventory WHERE lid = ? AND player = ?");
        q.bind(1, item.lid).bind(2, player);
        return q.run() && mDb.changes() == 1;
    }
    ZRKDatabase::Statement& q = mDb.prepare(
        "UPDATE inventory SET lv = ?1, count = ?2, pci_str = ?3, pci_luck = ?4, pci_dex = ?5, pci_vit = ?6, "
        "mix_times = ?7, mix_max = ?8, enh_f = ?9, attr_x = ?10, buy_time = ?13, expiry_day = ?14 "
        "WHERE lid = ?11 AND player = ?12");
    q.bind(1, static_cast<long long>(item.lv)).bind(2, item.count);
    for (int b = 0; b < 4; ++b)
        q.bind(3 + b, item.bonus[b]);
    q.bind(7, item.mixTimes).bind(8, item.mixMax).bind(9, item.enhF).bind(10, item.attrX).bind(11, item.lid);
    q.bind(12, player).bind(13, item.buyTime).bind(14, static_cast<long long>(item.expiryDay));
    return q.run() && mDb.changes() == 1;
}

bool ZRKWorld::addItem(const std::string& player, Item& item)
{
    bagChanged(player);
    ZRKDatabase::Statement& q = mDb.prepare(
        "INSERT INTO inventory(player, i_id, bag, slot, count, bind, lv, pci_str, pci_luck, pci_dex, pci_vit, mix_times, "
        "mix_max, enh_f, attr_x, buy_time, expiry_day) "
        "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17)");
    q.bind(1, player).bind(2, item.id).bind(3, static_cast<long long>(ZRKBagLayout::bagOf(item.slot)));
    q.bind(4, static_cast<long long>(item.slot)).bind(5, item.count).bind(6, static_cast<long long>(item.bind));
    q.bind(7, static_cast<long long>(item.lv));
    for (int b = 0; b < 4; ++b)
        q.bind(8 + b, item.bonus[b]);
    q.bind(12, item.mixTimes).bind(13, item.mixMax).bind(14, item.enhF).bind(15, item.attrX);
    q.bind(16, item.buyTime).bind(17, static_cast<long long>(item.expiryDay));
    if (!q.run())
        return false;
    item.lid = mDb.lastInsertId();
    item.bag = ZRKBagLayout::bagOf(item.slot);
    return true;
}

bool ZRKWorld::placeItem(const std::string& player, long long lid, int slot)
{
    bagChanged(player);
    ZRKDatabase::Statement& q = mDb.prepare("UPDATE inventory SET bag = ?1, slot = ?2 WHERE lid = ?3 AND player = ?4");
    q.bind(1, static_cast<long long>(ZRKBagLayout::bagOf(slot))).bind(2, static_cast<long long>(slot)).bind(3, lid);
    q.bind(4, player);
    return q.run() && mDb.changes() == 1;
}

bool ZRKWorld::setSettings(const std::string& player, const Json::Value& settings)
{
    return writeDocument(player, "settings", settings);
}

bool ZRKWorld::setLists(const std::string& player, const Json::Value& lists) { return writeDocument(player, "lists", lists); }

bool ZRKWorld::writeDocument(const std::string& player, const char* column, const Json::Value& value)
{
    if (!value.isObject())
        return false;
    const std::string name = player; // `player` may be a name the world is about to forget
    Json::FastWriter writer;
    ZRKDatabase::Statement& q = mDb.prepare(std::string("UPDATE players SET ") + column + " = ?1 WHERE name = ?2");
    q.bind(1, writer.write(value)).bind(2, name);
    const bool done = q.run() && mDb.changes() == 1;
    forget(name);
    return done;
}

std::string ZRKWorld::playerOfNick(const std::string& nick)
{
    if (nick.empty())
        return std::string();
    ZRKDatabase::Statement& q = mDb.prepare("SELECT name FROM players WHERE nick != '' AND nick_key = ? LIMIT 1");
    q.bind(1, ZRKNameKey::of(nick));
    const std::string name = q.step() ? q.text(0) : std::string();
    q.reset();
    return name;
}

bool ZRKWorld::setNick(const std::string& player, const std::string& nick, std::string& refusal)
{
    ZRKDatabase::Statement& q = mDb.prepare("UPDATE players SET nick = ?1, nick_key = ?3 WHERE name = ?2");
    q.bind(1, nick).bind(2, player).bind(3, nickKey(nick));
    const bool done = q.run() && mDb.changes() == 1;
    forget(player);
    mCharacters.clear();
    if (!done)
        refusal = "error/role_exists"; // the unique index: another player is called so
    return done;
}

bool ZRKWorld::resetAbilities(const std::string& player)
{
    ZRKDatabase::Statement& q = mDb.prepare(
        "UPDATE players SET points = points + str + vit + dex + luk, str = 0, vit = 0, dex = 0, luk = 0 WHERE name = ?1");
    q.bind(1, player);
    const bool done = q.run() && mDb.changes() == 1;
    forget(player);
    return done;
}

int ZRKWorld::freeSlot(const std::string& player, bool temporaryToo)
{
    const Player* p = this->player(player);
    if (!p)
        return 0;
    std::set<int> taken;
    for (const Item& i : items(player))
        taken.insert(i.slot);
    const int last = ZRKBagLayout::kMainFirst + bagSlots(*p);
    for (int s = ZRKBagLayout::kMainFirst; s < last; ++s)
        if (!taken.count(s))
            return s;
    if (temporaryToo)
        for (int s = ZRKBagLayout::kTemporaryFirst; s < ZRKBagLayout::kTemporaryFirst + ZRKBagLayout::kTemporarySize; ++s)
            if (!taken.count(s))
                return s;
    return 0;
}

bool ZRKWorld::gainLevels(const std::string& player, long long& gained)
{
    gained = 0;
    const Player* p = this->player(player);
    if (!p)
        return false;
    const Json::Value& table = document("master")["exp_table"];
    long long lv = 0;
    if (table.isArray())
        for (const Json::Value& need : table)
            if (need.isIntegral() && p->exp >= need.asInt64())
                ++lv;
    if (lv <= p->lv)
        return true; // levels are never taken away, and one past the table is kept
    gained = lv - p->lv;
    ZRKDatabase::Statement& q = mDb.prepare("UPDATE players SET lv = ?1, points = points + ?2 WHERE name = ?3");
    q.bind(1, lv).bind(2, gained * kPointsPerLevel).bind(3, player);
    const bool done = q.run() && mDb.changes() == 1;
    forget(player);
    return done;
}

bool ZRKWorld::addExperience(const std::string& player, long long delta)
{
    ZRKDatabase::Statement& q = mDb.prepare("UPDATE players SET exp = exp + ?1 WHERE name = ?2 AND exp + ?1 >= 0");
    q.bind(1, delta).bind(2, player);
    const bool done = q.run() && mDb.changes() == 1;
    forget(player); // its views show the experience
    return done;
}

bool ZRKWorld::nicknameTaken(const std::string& nick)
{
    ZRKDatabase::Statement& q = mDb.prepare("SELECT 1 FROM players WHERE nick != '' AND nick_key = ? LIMIT 1");
    q.bind(1, ZRKNameKey::of(nick));
    const bool taken = q.step();
    q.reset();
    return taken;
}

bool ZRKWorld::createCharacter(const std::string& player, const std::string& nick, int cId, std::string& refusal)
{
    ZRKDatabase::Statement& top = mDb.prepare("SELECT coalesce(max(pc_id), 0) FROM players WHERE bot = 0");
    const long long pcId = top.step() ? top.integer(0) + 1 : 0;
    top.reset();
    if (pcId <= 0) {
        refusal = "error/unknow_wrong";
        return false;
    }
    Json::Value looks(Json::objectValue);
    looks["def_sex"] = cId == 1 ? "boy" : "girl";
    for (const char* part : {"def_hair", "def_face", "def_coat", "def_glove", "def_shoes"})
        looks[part] = 0;
    looks["def_animation"] = "idle";
    Json::FastWriter writer;
    ZRKDatabase::Statement& q = mDb.prepare(
        "UPDATE players SET pc_id = ?1, nick = ?2, c_id = ?3, lv = 1, exp = 0, rank = 0, newbie_task = 0, looks = ?4, "
        "nick_key = ?6 WHERE name = ?5 AND pc_id = 0 AND bot = 0");
    q.bind(1, pcId).bind(2, nick).bind(3, static_cast<long long>(cId)).bind(4, writer.write(looks)).bind(5, player);
    q.bind(6, nickKey(nick));
    const bool made = q.run() && mDb.changes() == 1;
    forget(player);
    if (!made)
        refusal = "error/role_exists";
    return made;
}

bool ZRKWorld::setLooks(const std::string& player, const Json::Value& looks)
{
    Json::FastWriter writer;
    ZRKDatabase::Statement& q = mDb.prepare("UPDATE players SET looks = ?1 WHERE name = ?2");
    q.bind(1, writer.write(looks)).bind(2, player);
    const bool done = q.run() && mDb.changes() == 1;
    forget(player);
    return done;
}

bool ZRKWorld::putBot(const Player& bot, const Json::Value& looks)
{
    forget(bot.name);
    Json::FastWriter writer;
    ZRKDatabase::Statement& q = mDb.prepare(
        "INSERT INTO players(name, pc_id, nick, c_id, lv, exp, rank, newbie_task, bot, looks, nick_key) "
        "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, 1, 1, ?8, ?9) ON CONFLICT(name) DO UPDATE SET pc_id = ?2, nick = ?3, c_id = ?4, "
        "lv = ?5, exp = ?6, rank = ?7, bot = 1, looks = ?8, nick_key = ?9");
    q.bind(1, bot.name).bind(2, bot.pcId).bind(3, bot.nick).bind(4, bot.cId).bind(5, bot.lv).bind(6, bot.exp);
    q.bind(7, bot.rank).bind(8, writer.write(looks)).bind(9, nickKey(bot.nick));
    return q.run();
}

} // namespace zrk
} // namespace kavri3D
