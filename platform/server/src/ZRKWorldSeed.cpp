#include "server/ZRKWorldSeed.h"

#include <fstream>
#include <memory>
#include <set>
#include <sodium.h>
#include <vector>
#include <yake/Logger.h>
#include <util/JsonText.h>
#include "data/ZRKBagLayout.h"
#include "server/ZRKPasswords.h"
#include "server/ZRKWorld.h"

namespace kavri3D {
namespace zrk {

namespace {
using yake::logging::Severity;
const yake::logging::Channel logLine("ZRKWorld");

std::string compact(const Json::Value& v)
{
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    builder["emitUTF8"] = true;
    return Json::writeString(builder, v);
}

/// The whole number of a member, or `def` when it is missing; false when it is there but not
/// a whole number.
bool wholeNumber(const Json::Value& object, const char* key, long long def, long long& out)
{
    const Json::Value& v = object[key];
    if (v.isNull()) {
        out = def;
        return true;
    }
    if (!v.isInt64())
        return false;
    out = v.asInt64();
    return true;
}

/// The fixture files that hold the game's own data, as opposed to its players.
const char* const kGameDataFiles[] = {"itemclasses.json", "master.json", "libs.json"};

/// A fixture file's bytes, no more than the fixtures' limit.
bool readBytes(const std::string& path, std::string& text, std::string& why)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        why = "missing";
        return false;
    }
    char block[4096];
    while (in.read(block, sizeof block) || in.gcount() > 0) {
        text.append(block, static_cast<std::size_t>(in.gcount()));
        if (text.size() > ZRKWorldSeed::kMaxFixture) {
            why = "larger than 1 MB";
            return false;
        }
    }
    return true;
}

} // namespace

ZRKWorldSeed::ZRKWorldSeed(ZRKWorld& world, const std::string& folder) : mWorld(world), mFolder(folder) {}

bool ZRKWorldSeed::readFixture(const std::string& path, Json::Value& out, std::string& why)
{
    std::string text;
    if (!readBytes(path, text, why))
        return false;
    core::JsonText::Limits limits;
    limits.maxBytes = kMaxFixture;
    return core::JsonText::parse(text, out, why, limits);
}

bool ZRKWorldSeed::fail(const std::string& why)
{
    mError = mFile + ": " + why;
    return false;
}

bool ZRKWorldSeed::read(const char* file, Json::Value& out)
{
    mFile = file;
    std::string why;
    if (!readFixture(mFolder + "/" + file, out, why))
        return fail(why);
    if (!out.isObject())
        return fail("not an object");
    return true;
}

bool ZRKWorldSeed::run()
{
    try {
        return seedAll();
    } catch (const std::exception& e) {
        return fail(std::string("unreadable: ") + e.what()); // a wrong-typed read the checks missed
    }
}

bool ZRKWorldSeed::refreshGameData()
{
    try {
        return seedGameData();
    } catch (const std::exception& e) {
        return fail(std::string("unreadable: ") + e.what());
    }
}

std::string ZRKWorldSeed::gameDataPrint(const std::string& folder)
{
    if (sodium_init() < 0)
        return std::string();
    crypto_generichash_state state;
    crypto_generichash_init(&state, nullptr, 0, crypto_generichash_BYTES);
    for (const char* file : kGameDataFiles) {
        std::string text, why;
        if (!readBytes(folder + "/" + file, text, why))
            return std::string();
        // Each file's name and length go first, so no two sets of files print alike.
        const std::string head = std::string(file) + ":" + std::to_string(text.size()) + ":";
        crypto_generichash_update(&state, reinterpret_cast<const unsigned char*>(head.data()), head.size());
        crypto_generichash_update(&state, reinterpret_cast<const unsigned char*>(text.data()), text.size());
    }
    unsigned char out[crypto_generichash_BYTES];
    crypto_generichash_final(&state, out, sizeof out);
    char hex[crypto_generichash_BYTES * 2 + 1];
    sodium_bin2hex(hex, sizeof hex, out, sizeof out);
    return hex;
}

bool ZRKWorldSeed::seedGameData()
{
    Json::Value items, master, libs;
    if (!read("itemclasses.json", items) || !seedItems(items))
        return false;
    if (!read("master.json", master) || !putDocument("master", master))
        return false;
    if (!read("libs.json", libs))
        return false;
    for (const std::string& name : libs.getMemberNames())
        if (!putDocument("lib/" + name, libs[name]))
            return false;
    return true;
}

bool ZRKWorldSeed::seedAll()
{
    Json::Value accounts, players;
    if (!seedGameData())
        return false;
    if (!read("players.json", players))
        return false;
    for (const std::string& name : players.getMemberNames())
        if (!seedPlayer(name, players[name]))
            return false;
    return read("accounts.json", accounts) && seedAccounts(accounts);
}

bool ZRKWorldSeed::seedItems(const Json::Value& doc)
{
    const Json::Value& classes = doc["classes"];
    const Json::Value& items = doc["items"];
    if (!classes.isArray() || !items.isObject())
        return fail("\"classes\" must be a list and \"items\" an object");
    if (!putDocument("itemClasses", classes))
        return false;
    std::set<long long> listed;
    for (const std::string& id : items.getMemberNames()) {
        long long number = 0;
        try {
            std::size_t used = 0;
            number = std::stoll(id, &used);
            if (used != id.size() || number <= 0)
                return fail("item id " + id + " is not a positive number");
        } catch (const std::exception&) {
            return fail("item id " + id + " is not a number");
        }
        if (!items[id].isObject())
            return fail("item " + id + " is not an object");
        if (!listed.insert(number).second)
            return fail("item " + id + " is listed twice");
        // A world made from older fixtures takes the item as they now have it.
        ZRKDatabase::Statement& q = mWorld.db().prepare(
            "INSERT INTO items(i_id, attrs) VALUES(?, ?) ON CONFLICT(i_id) DO UPDATE SET attrs = excluded.attrs "
            "WHERE attrs != excluded.attrs");
        q.bind(1, number).bind(2, compact(items[id]));
        if (!q.run())
            return fail("item " + id + " cannot be stored: " + mWorld.db().lastError());
    }
    // Items the fixtures no longer list go, but not from under a player who holds one.
    std::vector<long long> gone;
    ZRKDatabase::Statement& all = mWorld.db().prepare("SELECT i_id FROM items");
    while (all.step())
        if (!listed.count(all.integer(0)))
            gone.push_back(all.integer(0));
    all.reset();
    for (long long id : gone) {
        ZRKDatabase::Statement& drop = mWorld.db().prepare(
            "DELETE FROM items WHERE i_id = ?1 AND NOT EXISTS(SELECT 1 FROM inventory WHERE inventory.i_id = ?1)");
        drop.bind(1, id);
        if (!drop.run())
            return fail("item " + std::to_string(id) + " cannot be dropped: " + mWorld.db().lastError());
        if (mWorld.db().changes() == 0)
            logLine(Severity::Warning,
                    "item " + std::to_string(id) + " is no longer in the fixtures but players hold it: kept");
    }
    return true;
}

bool ZRKWorldSeed::seedAccounts(const Json::Value& doc)
{
    const Json::Value& accounts = doc["accounts"];
    if (!accounts.isObject())
        return fail("\"accounts\" must be an object");
    for (const std::string& name : accounts.getMemberNames()) {
        const Json::Value& a = accounts[name];
        if (!a.isObject() || !a["password"].isString() || (!a["player"].isNull() && !a["player"].isString()) ||
            (!a["online"].isNull() && !a["online"].isBool()))
            return fail("account " + name + ": \"password\" must be text, \"player\" text, \"online\" true or false");
        const std::string player = a["player"].isString() ? a["player"].asString() : name;
        if (!mWorld.hasPlayer(player))
            return fail("account " + name + " names the player " + player + ", who is not in players.json");
        // The fixtures are readable; the world keeps only the hash.
        const std::string hash = ZRKPasswords::hash(a["password"].asString());
        if (hash.empty())
            return fail("account " + name + ": its password cannot be hashed");
        ZRKDatabase::Statement& q =
            mWorld.db().prepare("INSERT INTO accounts(name, password, player, elsewhere) VALUES(?, ?, ?, ?)");
        q.bind(1, name).bind(2, hash).bind(3, player).bind(4, a["online"].asBool() ? 1 : 0);
        if (!q.run())
            return fail("account " + name + " cannot be stored: " + mWorld.db().lastError());
    }
    return true;
}

bool ZRKWorldSeed::seedPlayer(const std::string& name, const Json::Value& p)
{
    if (!p.isObject())
        return fail("player " + name + " is not an object");
    const char* const numbers[] = {"pc_id", "c_id", "lv", "exp", "rank", "newbie_task", "points"};
    const long long defaults[] = {0, 0, 1, 0, 0, 0, 0};
    long long values[7];
    for (int i = 0; i < 7; ++i)
        if (!wholeNumber(p, numbers[i], defaults[i], values[i]))
            return fail("player " + name + ": \"" + numbers[i] + "\" is not a whole number");
    for (const char* group : {"money", "abilities"})
        if (!p[group].isNull() && !p[group].isObject())
            return fail("player " + name + ": \"" + group + "\" is not an object");
    long long money[3];
    for (int k = 0; k < 3; ++k) {
        const std::string key = "pc_money" + std::to_string(k + 1);
        if (!wholeNumber(p["money"], key.c_str(), 0, money[k]) || money[k] < 0)
            return fail("player " + name + ": \"" + key + "\" is not a whole number of 0 or more");
    }
    long long abilities[4];
    for (int a = 0; a < 4; ++a)
        if (!wholeNumber(p["abilities"], ZRKWorld::kAbilityNames[a], 0, abilities[a]))
            return fail("player " + name + ": ability \"" + ZRKWorld::kAbilityNames[a] + "\" is not a whole number");
    const char* const documents[] = {"looks", "settings", "record", "lists"};
    for (const char* d : documents)
        if (!p[d].isNull() && !p[d].isObject())
            return fail("player " + name + ": \"" + d + "\" is not an object");
    if (!p["nick"].isNull() && !p["nick"].isString())
        return fail("player " + name + ": \"nick\" is not text");
    ZRKDatabase::Statement& q = mWorld.db().prepare("INSERT INTO players(name, pc_id, c_id, lv, exp, rank, "
                                                    "newbie_task, points, money1, money2, money3, str, vit, dex, "
                                                    "luk, nick, looks, settings, record, lists, nick_key) VALUES(?1, "
                                                    "?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, "
                                                    "?13, ?14, ?15, ?16, ?17, ?18, ?19, ?20, ?21)");
    q.bind(1, name);
    for (int i = 0; i < 7; ++i)
        q.bind(2 + i, values[i]);
    for (int k = 0; k < 3; ++k)
        q.bind(9 + k, money[k]);
    for (int a = 0; a < 4; ++a)
        q.bind(12 + a, abilities[a]);
    const std::string nick = p["nick"].isString() ? p["nick"].asString() : std::string();
    q.bind(16, nick);
    q.bind(21, ZRKWorld::nickKey(nick));
    for (int d = 0; d < 4; ++d)
        q.bind(17 + d, compact(p[documents[d]].isObject() ? p[documents[d]] : Json::Value(Json::objectValue)));
    if (!q.run())
        return fail("player " + name + " cannot be stored: " + mWorld.db().lastError());

    const Json::Value& inventory = p["inventory"];
    if (!inventory.isNull() && !inventory.isArray())
        return fail("player " + name + ": \"inventory\" is not a list");
    for (const Json::Value& item : inventory) {
        long long id = 0, slot = 0, count = 1, bind = 0, lv = 0, expiry = 0;
        if (!item.isObject() || !wholeNumber(item, "i_id", 0, id) || !wholeNumber(item, "pci_slot", 0, slot) ||
            !wholeNumber(item, "pci_num", 1, count) || count <= 0 || !wholeNumber(item, "pci_bind", 0, bind) ||
            !wholeNumber(item, "pci_lv", 0, lv) || !wholeNumber(item, "pci_expiry_day", 0, expiry))
            return fail("player " + name + ": an item needs whole numbers \"i_id\", \"pci_slot\" and \"pci_num\"");
        if (!item["pci_buy_time"].isNull() && !item["pci_buy_time"].isString())
            return fail("player " + name + ": \"pci_buy_time\" is not text");
        if (!item["attr_x"].isNull() && !item["attr_x"].isString())
            return fail("player " + name + ": \"attr_x\" is not text");
        // What the forge changed: bonuses, mixes and enhancement, whole numbers of 0 or more.
        const char* const forged[] = {"pci_str", "pci_luck", "pci_dex", "pci_vit", "mix_times", "mix_max", "enh_f"};
        long long forgedValues[7];
        for (int f = 0; f < 7; ++f)
            if (!wholeNumber(item, forged[f], 0, forgedValues[f]) || forgedValues[f] < 0)
                return fail("player " + name + ": \"" + forged[f] + "\" is not a whole number of 0 or more");
        const int bag = ZRKBagLayout::bagOf(static_cast<int>(slot));
        long long given = bag;
        if (bag < 0 || !wholeNumber(item, "bag", bag, given) || given != bag)
            return fail("player " + name + ": slot " + std::to_string(slot) + " is in no bag, or not in the bag given");
        ZRKDatabase::Statement& put = mWorld.db().prepare(
            "INSERT INTO inventory(player, i_id, bag, slot, count, bind, lv, buy_time, expiry_day, pci_str, pci_luck, "
            "pci_dex, pci_vit, mix_times, mix_max, enh_f, attr_x) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
            "?, ?)");
        put.bind(1, name).bind(2, id).bind(3, bag).bind(4, slot).bind(5, count).bind(6, bind ? 1 : 0).bind(7, lv);
        put.bind(8, item["pci_buy_time"].isString() ? item["pci_buy_time"].asString() : std::string()).bind(9, expiry);
        for (int f = 0; f < 7; ++f)
            put.bind(10 + f, forgedValues[f]);
        put.bind(17, item["attr_x"].isString() ? item["attr_x"].asString() : std::string());
        if (!put.run())
            return fail("player " + name + ": item " + std::to_string(id) + " in slot " + std::to_string(slot) +
                        " cannot be stored (unknown item, or the slot is taken)");
    }
    const Json::Value& quests = p["quests"];
    if (!quests.isNull() && !quests.isArray())
        return fail("player " + name + ": \"quests\" is not a list");
    for (const Json::Value& quest : quests) {
        long long id = 0, state = 0;
        if (!quest.isObject() || !wholeNumber(quest, "q_id", 0, id) || !wholeNumber(quest, "state", 0, state))
            return fail("player " + name + ": a quest needs whole numbers \"q_id\" and \"state\"");
        ZRKDatabase::Statement& put = mWorld.db().prepare("INSERT INTO quests(player, q_id, state) VALUES(?, ?, ?)");
        put.bind(1, name).bind(2, id).bind(3, state);
        if (!put.run())
            return fail("player " + name + ": quest " + std::to_string(id) + " is listed twice");
    }
    return true;
}

bool ZRKWorldSeed::putDocument(const std::string& name, const Json::Value& value)
{
    ZRKDatabase::Statement& q = mWorld.db().prepare("INSERT OR REPLACE INTO documents(name, value) VALUES(?, ?)");
    q.bind(1, name).bind(2, compact(value));
    return q.run() || fail("document " + name + " cannot be stored: " + mWorld.db().lastError());
}

} // namespace zrk
} // namespace kavri3D
