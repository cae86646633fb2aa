#include "server/ZRKWorld.h"

#include <cstdio>
#include <yake/Logger.h>
#include <util/JsonText.h>
#include "server/ZRKItemAttributes.h"
#include "server/ZRKNameKey.h"
#include "server/ZRKWorldFile.h"
#include "server/ZRKWorldInventory.h"
#include "server/ZRKWorldProgress.h"
#include "server/ZRKWorldSeed.h"
#include "server/ZRKWorldViews.h"

namespace kavri3D {
namespace zrk {

namespace {

using yake::logging::Severity;

const yake::logging::Channel logLine("ZRKWorld");

const char* const kPlayerColumns =
    "p.name, p.pc_id, p.nick, p.c_id, p.lv, p.exp, p.rank, p.newbie_task, p.money1, p.money2, p.money3, p.points, "
    "p.str, p.vit, p.dex, p.luk, p.bot, p.looks, p.settings, p.record, p.lists";

} // namespace

const char* const ZRKWorld::kAbilityNames[4] = {"str", "vit", "dex", "luk"};

Json::Value ZRKWorld::parseColumn(const std::string& text)
{
    Json::Value v;
    std::string error;
    if (!text.empty() && core::JsonText::parse(text, v, error))
        return v;
    return Json::Value(Json::objectValue);
}

ZRKWorld::ZRKWorld()
    : mFile(new ZRKWorldFile(mDb)), mViews(new ZRKWorldViews(*this)), mInventory(new ZRKWorldInventory(*this, mDb)),
      mProgress(new ZRKWorldProgress(*this, mDb, *mViews))
{
    mDb.setUndoListener([this]() { forgetAll(); });
}

ZRKWorld::~ZRKWorld()
{
    // The database goes last of the members but tells nobody: what it would tell goes first.
    mDb.setUndoListener(std::function<void()>());
    mDb.close();
    mFile->unlock();
}

void ZRKWorld::forget(const std::string& player)
{
    mPlayers.erase(player);
    mInventory->forget(player);
    mProgress->forget(player);
    mViews->forget(player);
}

void ZRKWorld::forgetAll()
{
    mPlayers.clear();
    mInventory->forgetAll();
    mProgress->forgetAll();
    mViews->forgetAll();
}

const Json::Value& ZRKWorld::playerView(const std::string& name, PlayerView which)
{
    const std::shared_ptr<const Json::Value> view = sharedPlayerView(name, which);
    return view ? *view : Json::Value::nullSingleton(); // the world keeps what it hands out
}

std::string ZRKWorld::nickKey(const std::string& nick) { return nick.empty() ? std::string() : ZRKNameKey::of(nick); }

bool ZRKWorld::open(const std::string& path, const std::string& fixtures, bool reset)
{
    mReady = false;
    mNewer = false;
    mFile->clearMarks();
    const bool file = path != ":memory:";
    // The lock comes before anything touches the file: a reset must not pull it from under
    // the game that plays on it.
    if (file && !mFile->lock(path))
        return false;
    // A newer game's world is left exactly as it is, even when asked to start afresh.
    const int schema = file ? ZRKWorldFile::schemaOf(path) : 0;
    if (schema > kSchemaVersion) {
        mNewer = true;
        logLine(Severity::Error, "world database " + path + " was made by a newer version of the game (schema " +
                                     std::to_string(schema) + "): left as it is");
        return false;
    }
    if (file && reset) {
        for (const char* end : {"", "-wal", "-shm"})
            std::remove((path + end).c_str());
        logLine(Severity::Notice, "world reset: seeding afresh from " + fixtures);
    }
    ZRKWorldFile::Opening opening = mFile->open(path);
    if (opening == ZRKWorldFile::Newer) {
        mNewer = true;
        return false;
    }
    if (opening == ZRKWorldFile::Damaged && file) {
        // Not a world this server can read: keep it for whoever wants to look, start afresh.
        mFile->moveAside(path);
        opening = mFile->open(path);
    }
    if (opening != ZRKWorldFile::Opened)
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
        logLine(Severity::Error, "the world could not be seeded from " + fixtures + ": " + seed.error());
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
        logLine(Severity::Error, "the world's game data could not be brought up to date from " + fixtures + ": " +
                                     (seed.error().empty() ? mDb.lastError() : seed.error()) +
                                     "; it keeps what it had");
        mDocuments.clear();
        return;
    }
    mDocuments.clear();
    logLine(Severity::Notice, "the world's game data was brought up to date from " + fixtures);
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

bool ZRKWorld::findAccount(const std::string& name, Account& out)
{
    ZRKDatabase::Statement& q =
        mDb.prepare("SELECT a_id, name, password, player, elsewhere FROM accounts WHERE name = ?");
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

bool ZRKWorld::setSettings(const std::string& player, const Json::Value& settings)
{
    return writeDocument(player, "settings", settings);
}

bool ZRKWorld::setLists(const std::string& player, const Json::Value& lists)
{
    return writeDocument(player, "lists", lists);
}

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
    mViews->forgetCharacters();
    if (!done)
        refusal = "error/role_exists"; // the unique index: another player is called so
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
    ZRKDatabase::Statement& q =
        mDb.prepare("INSERT INTO players(name, pc_id, nick, c_id, lv, exp, rank, newbie_task, bot, looks, nick_key) "
                    "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, 1, 1, ?8, ?9) ON CONFLICT(name) DO UPDATE SET pc_id = ?2, nick "
                    "= ?3, c_id = ?4, "
                    "lv = ?5, exp = ?6, rank = ?7, bot = 1, looks = ?8, nick_key = ?9");
    q.bind(1, bot.name).bind(2, bot.pcId).bind(3, bot.nick).bind(4, bot.cId).bind(5, bot.lv).bind(6, bot.exp);
    q.bind(7, bot.rank).bind(8, writer.write(looks)).bind(9, nickKey(bot.nick));
    return q.run();
}

bool ZRKWorld::isInUse() const { return mFile->inUse(); }

bool ZRKWorld::wasMovedAside() const { return mFile->movedAside(); }

int ZRKWorld::schemaOf(const std::string& path) { return ZRKWorldFile::schemaOf(path); }

ZRKWorld::Player* ZRKWorld::knownPlayer(const std::string& name)
{
    auto known = mPlayers.find(name);
    return known == mPlayers.end() ? nullptr : &known->second;
}

std::shared_ptr<const Json::Value> ZRKWorld::sharedPlayerView(const std::string& name, PlayerView which)
{
    return mViews->player(name, which);
}

Json::Value ZRKWorld::infoView(const Player& p) { return ZRKWorldViews::info(p); }

Json::Value ZRKWorld::settingsView(const Player& p) { return ZRKWorldViews::settings(p); }

Json::Value ZRKWorld::pcView(const Player& p) { return ZRKWorldViews::pc(p); }

std::shared_ptr<const Json::Value> ZRKWorld::sharedCharactersView(const std::string& name)
{
    return mViews->characters(name);
}

std::vector<ZRKWorld::Item> ZRKWorld::items(const std::string& player) { return mInventory->items(player); }

std::shared_ptr<const Json::Value> ZRKWorld::sharedInventoryView(const std::string& player)
{
    return mInventory->view(player);
}

int ZRKWorld::bagSlots(const Player& p) const { return ZRKWorldInventory::bagSlots(p); }

bool ZRKWorld::fits(long long itemId, int slot, const Player& p) { return mInventory->fits(itemId, slot, p); }

const Json::Value& ZRKWorld::subClassOf(long long itemId) { return mInventory->subClassOf(itemId); }

const Json::Value& ZRKWorld::itemAttrs(long long itemId) { return mInventory->itemAttrs(itemId); }

bool ZRKWorld::moveItems(const std::string& player, const std::vector<std::pair<int, int>>& moves, std::string& refusal,
                         std::vector<int>* changed)
{
    return mInventory->moveItems(player, moves, refusal, changed);
}

bool ZRKWorld::writeItem(const std::string& player, const Item& item) { return mInventory->writeItem(player, item); }

bool ZRKWorld::addItem(const std::string& player, Item& item) { return mInventory->addItem(player, item); }

bool ZRKWorld::placeItem(const std::string& player, long long lid, int slot)
{
    return mInventory->placeItem(player, lid, slot);
}

int ZRKWorld::freeSlot(const std::string& player, bool temporaryToo)
{
    return mInventory->freeSlot(player, temporaryToo);
}

bool ZRKWorld::addAbilities(const std::string& player, const long long add[4], std::string& refusal)
{
    return mProgress->addAbilities(player, add, refusal);
}

bool ZRKWorld::resetAbilities(const std::string& player) { return mProgress->resetAbilities(player); }

bool ZRKWorld::addMoney(const std::string& player, MoneyKind kind, long long delta, std::string& refusal)
{
    return mProgress->addMoney(player, kind, delta, refusal);
}

bool ZRKWorld::addExperience(const std::string& player, long long delta)
{
    return mProgress->addExperience(player, delta);
}

bool ZRKWorld::gainLevels(const std::string& player, long long& gained)
{
    return mProgress->gainLevels(player, gained);
}

bool ZRKWorld::setGrade(const std::string& player, long long lv, long long rank)
{
    return mProgress->setGrade(player, lv, rank);
}

bool ZRKWorld::raiseNewbieTask(const std::string& player, long long task)
{
    return mProgress->raiseNewbieTask(player, task);
}

std::shared_ptr<const Json::Value> ZRKWorld::sharedQuests(const std::string& player)
{
    return mProgress->quests(player);
}

std::vector<ZRKWorld::Quest> ZRKWorld::questRows(const std::string& player) { return mProgress->questRows(player); }

bool ZRKWorld::setQuest(const std::string& player, const Quest& quest) { return mProgress->setQuest(player, quest); }

} // namespace zrk
} // namespace kavri3D
