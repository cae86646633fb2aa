#include "data/ZRKWorld.h"

#include <cstdio>
#include <yake/Logger.h>
#include "data/ZRKBagLayout.h"
#include "data/ZRKItemAttributes.h"
#include "data/ZRKWorldSeed.h"

namespace kavri3D {
namespace zrk {

namespace {

void logLine(unsigned severity, const std::string& text) { yake::logging::logger::instance().log(severity, "ZRKWorld", text); }

Json::Value parseColumn(const std::string& text)
{
    Json::Value v;
    Json::CharReaderBuilder builder;
    builder["stackLimit"] = 64;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
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
  c_id INTEGER NOT NULL DEFAULT 0, lv INTEGER NOT NULL DEFAULT 1, exp INTEGER NOT NULL DEFAULT 0 CHECK(exp >= 0),
  rank INTEGER NOT NULL DEFAULT 0, newbie_task INTEGER NOT NULL DEFAULT 0,
  money1 INTEGER NOT NULL DEFAULT 0 CHECK(money1 >= 0), money2 INTEGER NOT NULL DEFAULT 0 CHECK(money2 >= 0),
  money3 INTEGER NOT NULL DEFAULT 0 CHECK(money3 >= 0), points INTEGER NOT NULL DEFAULT 0 CHECK(points >= 0),
  str INTEGER NOT NULL DEFAULT 0, vit INTEGER NOT NULL DEFAULT 0, dex INTEGER NOT NULL DEFAULT 0,
  luk INTEGER NOT NULL DEFAULT 0, bot INTEGER NOT NULL DEFAULT 0, looks TEXT NOT NULL DEFAULT '{}',
  settings TEXT NOT NULL DEFAULT '{}', record TEXT NOT NULL DEFAULT '{}', lists TEXT NOT NULL DEFAULT '{}');
CREATE TABLE quests(player TEXT NOT NULL REFERENCES players(name), q_id INTEGER NOT NULL, state INTEGER NOT NULL,
  PRIMARY KEY(player, q_id));
CREATE TABLE items(i_id INTEGER PRIMARY KEY, attrs TEXT NOT NULL);
CREATE TABLE inventory(lid INTEGER PRIMARY KEY, player TEXT NOT NULL REFERENCES players(name),
  i_id INTEGER NOT NULL REFERENCES items(i_id), bag INTEGER NOT NULL, slot INTEGER NOT NULL,
  count INTEGER NOT NULL DEFAULT 1 CHECK(count > 0), UNIQUE(player, slot));
CREATE TABLE documents(name TEXT PRIMARY KEY, value TEXT NOT NULL);
)";

const char* const kPlayerColumns =
    "p.name, p.pc_id, p.nick, p.c_id, p.lv, p.exp, p.rank, p.newbie_task, p.money1, p.money2, p.money3, p.points, "
    "p.str, p.vit, p.dex, p.luk, p.bot, p.looks, p.settings, p.record, p.lists, "
    "(SELECT a_id FROM accounts a WHERE a.player = p.name ORDER BY a_id LIMIT 1)";

} // namespace

const char* const ZRKWorld::kAbilityNames[4] = {"str", "vit", "dex", "luk"};

bool ZRKWorld::open(const std::string& path, const std::string& fixtures, bool reset)
{
    mReady = false;
    mMovedAside = false;
    const bool file = path != ":memory:";
    if (file && reset) {
        for (const char* end : {"", "-wal", "-shm"})
            std::remove((path + end).c_str());
        logLine(5, "world reset: seeding afresh from " + fixtures);
    }
    Opening opening = openFile(path);
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
        mReady = true;
        return true;
    }
    ZRKDatabase::Transaction t(mDb);
    ZRKWorldSeed seed(*this, fixtures);
    if (!t.active() || !seed.run() || !mDb.exec("INSERT OR REPLACE INTO meta VALUES('seeded', '1')") || !t.commit()) {
        logLine(3, "the world could not be seeded from " + fixtures + ": " + seed.error());
        return false;
    }
    mReady = true;
    return true;
}

ZRKWorld::Opening ZRKWorld::openFile(const std::string& path)
{
    if (!mDb.open(path)) {
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
    const Opening sound = checkSound();
    if (sound != Opened) {
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
    const bool same = version.valid() && version.step() && version.text(0) == std::to_string(kSchemaVersion);
    version.reset();
    return same ? Opened : Damaged;
}

bool ZRKWorld::createSchema()
{
    ZRKDatabase::Transaction t(mDb);
    if (!t.active() || !mDb.exec(kSchema) ||
        !mDb.exec("INSERT INTO meta VALUES('schema', '" + std::to_string(kSchemaVersion) + "')") || !t.commit()) {
        logLine(3, "world schema cannot be written: " + mDb.lastError());
        return false;
    }
    return true;
}

void ZRKWorld::moveAside(const std::string& path)
{
    mDb.close();
    const std::string aside = path + ".broken";
    for (const char* end : {"", "-wal", "-shm"}) {
        std::remove((aside + end).c_str());
        std::rename((path + end).c_str(), (aside + end).c_str());
        std::remove((path + end).c_str());
    }
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
        out.password = q.text(2);
        out.player = q.text(3);
        out.elsewhere = q.integer(4) != 0;
    }
    q.reset();
    return found;
}

bool ZRKWorld::loadPlayer(const std::string& name, Player& out)
{
    ZRKDatabase::Statement& q = mDb.prepare(std::string("SELECT ") + kPlayerColumns + " FROM players p WHERE p.name = ?");
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
        out.looks = parseColumn(q.text(c++));
        out.settings = parseColumn(q.text(c++));
        out.record = parseColumn(q.text(c++));
        out.lists = parseColumn(q.text(c++));
        out.accountId = q.integer(c++);
    }
    q.reset();
    return found;
}

bool ZRKWorld::hasPlayer(const std::string& name)
{
    ZRKDatabase::Statement& q = mDb.prepare("SELECT 1 FROM players WHERE name = ?");
    q.bind(1, name);
    const bool found = q.step();
    q.reset();
    return found;
}

std::vector<ZRKWorld::Item> ZRKWorld::items(const std::string& player)
{
    std::vector<Item> out;
    ZRKDatabase::Statement& q = mDb.prepare("SELECT lid, i_id, bag, slot, count FROM inventory WHERE player = ? ORDER BY slot");
    q.bind(1, player);
    while (q.step()) {
        Item i;
        i.lid = q.integer(0);
        i.id = q.integer(1);
        i.bag = static_cast<int>(q.integer(2));
        i.slot = static_cast<int>(q.integer(3));
        i.count = q.integer(4);
        out.push_back(i);
    }
    q.reset();
    return out;
}

Json::Value ZRKWorld::quests(const std::string& player)
{
    Json::Value out(Json::arrayValue);
    ZRKDatabase::Statement& q = mDb.prepare("SELECT q_id, state FROM quests WHERE player = ? ORDER BY q_id");
    q.bind(1, player);
    while (q.step()) {
        Json::Value entry;
        entry["q_id"] = static_cast<Json::Int64>(q.integer(0));
        entry["state"] = static_cast<Json::Int64>(q.integer(1));
        out.append(entry);
    }
    q.reset();
    return out;
}

Json::Value ZRKWorld::document(const std::string& name)
{
    if (name == "lib/item") {
        Json::Value out(Json::objectValue);
        ZRKDatabase::Statement& q = mDb.prepare("SELECT i_id, attrs FROM items ORDER BY i_id");
        while (q.step())
            out[std::to_string(q.integer(0))] = ZRKItemAttributes::complete(parseColumn(q.text(1)));
        q.reset();
        return out;
    }
    ZRKDatabase::Statement& q = mDb.prepare("SELECT value FROM documents WHERE name = ?");
    q.bind(1, name);
    Json::Value out;
    if (q.step())
        out = parseColumn(q.text(0));
    q.reset();
    return out;
}

Json::Value ZRKWorld::infoView(const Player& p)
{
    Json::Value v(Json::objectValue);
    v["a_id"] = static_cast<Json::Int64>(p.accountId);
    v["a_username"] = p.name;
    v["pc_id"] = static_cast<Json::Int64>(p.pcId);
    v["nick"] = p.nick;
    v["c_id"] = static_cast<Json::Int64>(p.cId);
    return v;
}

Json::Value ZRKWorld::settingsView(const Player& p)
{
    Json::Value v = p.settings.isObject() ? p.settings : Json::Value(Json::objectValue);
    v["pc_id"] = static_cast<Json::Int64>(p.pcId);
    v["pc_nickname"] = p.nick;
    v["c_id"] = static_cast<Json::Int64>(p.cId);
    v["pc_lv"] = static_cast<Json::Int64>(p.lv);
    v["pc_exp"] = static_cast<Json::Int64>(p.exp);
    v["pc_rank"] = static_cast<Json::Int64>(p.rank);
    v["pc_newbie_task"] = static_cast<Json::Int64>(p.newbieTask);
    return v;
}

Json::Value ZRKWorld::pcView(const Player& p)
{
    Json::Value v = settingsView(p);
    for (int k = 0; k < MoneyKinds; ++k)
        v["pc_money" + std::to_string(k + 1)] = static_cast<Json::Int64>(p.money[k]);
    v["pc_points"] = static_cast<Json::Int64>(p.points);
    for (int a = 0; a < 4; ++a)
        v[std::string("pc_") + kAbilityNames[a]] = static_cast<Json::Int64>(p.abilities[a]);
    return v;
}

Json::Value ZRKWorld::inventoryView(const std::vector<Item>& items)
{
    Json::Value list(Json::arrayValue);
    for (const Item& i : items) {
        Json::Value entry;
        entry["lid"] = static_cast<Json::Int64>(i.lid);
        entry["i_id"] = static_cast<Json::Int64>(i.id);
        entry["bag"] = i.bag;
        entry["slot"] = i.slot;
        entry["count"] = static_cast<Json::Int64>(i.count);
        list.append(entry);
    }
    Json::Value v;
    v["items"] = list;
    return v;
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
    ZRKDatabase::Statement& q = mDb.prepare(
        "UPDATE players SET points = points - ?1, str = str + ?2, vit = vit + ?3, dex = dex + ?4, luk = luk + ?5 "
        "WHERE name = ?6 AND points >= ?1");
    q.bind(1, sum).bind(2, add[0]).bind(3, add[1]).bind(4, add[2]).bind(5, add[3]).bind(6, player);
    if (!q.run() || mDb.changes() == 0) {
        refusal = "error/srv_points";
        return false;
    }
    return true;
}

bool ZRKWorld::moveItems(const std::string& player, const std::vector<std::pair<int, int>>& moves, std::string& refusal)
{
    ZRKDatabase::Savepoint save(mDb);
    auto lidAt = [this, &player](int slot) {
        ZRKDatabase::Statement& q = mDb.prepare("SELECT lid FROM inventory WHERE player = ? AND slot = ?");
        q.bind(1, player).bind(2, slot);
        const long long lid = q.step() ? q.integer(0) : 0;
        q.reset();
        return lid;
    };
    auto place = [this](long long lid, int slot) {
        ZRKDatabase::Statement& q = mDb.prepare("UPDATE inventory SET slot = ?, bag = ? WHERE lid = ?");
        q.bind(1, slot).bind(2, ZRKBagLayout::bagOf(slot)).bind(3, lid);
        return q.run();
    };
    for (const auto& move : moves) {
        const int from = move.first;
        const int to = move.second;
        if (ZRKBagLayout::bagOf(from) < 0 || ZRKBagLayout::bagOf(to) < 0 || from == to) {
            refusal = "error/srv_slot";
            return false;
        }
        const long long moving = lidAt(from);
        if (!moving) {
            refusal = "error/srv_no_item";
            return false;
        }
        const long long there = lidAt(to);
        // A swap passes through slot 0, which is in no bag, so no two items ever share a slot.
        const bool ok = there ? place(moving, 0) && place(there, from) && place(moving, to) : place(moving, to);
        if (!ok) {
            refusal = "error/srv_slot";
            return false;
        }
    }
    return save.release();
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
    return true;
}

bool ZRKWorld::putBot(const Player& bot)
{
    Json::FastWriter writer;
    ZRKDatabase::Statement& q = mDb.prepare(
        "INSERT INTO players(name, pc_id, nick, c_id, lv, exp, rank, newbie_task, bot, looks) "
        "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, 1, 1, ?8) ON CONFLICT(name) DO UPDATE SET pc_id = ?2, nick = ?3, c_id = ?4, "
        "lv = ?5, exp = ?6, rank = ?7, bot = 1, looks = ?8");
    q.bind(1, bot.name).bind(2, bot.pcId).bind(3, bot.nick).bind(4, bot.cId).bind(5, bot.lv).bind(6, bot.exp);
    q.bind(7, bot.rank).bind(8, writer.write(bot.looks));
    return q.run();
}

} // namespace zrk
} // namespace kavri3D
