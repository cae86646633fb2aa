// What the world keeps of its players' secrets and names: passwords only as
// salted hashes (also after an old world is upgraded in place), never in a log
// line, and nicknames taken by Unicode case folding in the check and in the
// world's own index.
#include <filesystem>
#include <gtest/gtest.h>

#include "DataTestKit.h"
#include <server/ZRKDatabase.h>
#include <server/ZRKNameKey.h>
#include <server/ZRKPasswords.h>
#include <server/ZRKServerCore.h>
#include <server/ZRKWorld.h>
#include <map>
#include <support/TestEnv.h>

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

std::map<std::string, std::string> keptPasswords(ZRKWorld& world)
{
    std::map<std::string, std::string> out;
    ZRKDatabase::Statement& q = world.db().prepare("SELECT name, password FROM accounts");
    while (q.step())
        out[q.text(0)] = q.text(1);
    q.reset();
    return out;
}

/// Logs in on a fresh connection: the code the session reads ("0" in, "1"
/// refused).
std::string logIn(ZRKServerCore& core, const std::string& name, const std::string& password)
{
    const long c = core.connect();
    ZRKRequestInfo login;
    login.handle = 1;
    login.op = "login";
    login.args["name"] = name;
    login.args["password"] = password;
    core.handle(c, ZRKMessage::request(login));
    std::vector<ZRKMessage> out;
    core.take(c, out);
    core.disconnect(c);
    return out.empty() ? "<none>" : out.back().text;
}

} // namespace

TEST(WorldKeeps, PasswordsAsSaltedHashesCheckedByTheirOwnVerify)
{
    const std::string a = ZRKPasswords::hash("hero123");
    const std::string b = ZRKPasswords::hash("hero123");
    EXPECT_TRUE(ZRKPasswords::isHash(a));
    EXPECT_NE(a, b); // salted: one password, two hashes
    EXPECT_TRUE(ZRKPasswords::verify(a, "hero123"));
    EXPECT_TRUE(ZRKPasswords::verify(b, "hero123"));
    EXPECT_FALSE(ZRKPasswords::verify(a, "hero124"));
    EXPECT_FALSE(ZRKPasswords::verify(a, ""));
    EXPECT_FALSE(ZRKPasswords::verify("hero123", "hero123")); // a password in the clear is no hash
    EXPECT_FALSE(ZRKPasswords::verify("", ""));
    EXPECT_EQ(a.find("hero123"), std::string::npos);
}

TEST(WorldKeeps, TheSeededFixturesOnlyAsHashesAndTheLogNeverHoldsAPassword)
{
    zrktest::TempDir dir;
    datatest::LogCapture log;
    ZRKServerConfig config;
    config.database = dir.file("world.db");
    config.bots = 0;
    {
        ZRKServerCore core(config, 0);
        ASSERT_TRUE(core.isReady());
        for (const auto& kept : keptPasswords(core.world()))
            EXPECT_TRUE(ZRKPasswords::isHash(kept.second)) << kept.first;
        EXPECT_EQ(logIn(core, "hero", "hero123"), "0");
        EXPECT_EQ(logIn(core, "hero", "hero12"), "1");
        EXPECT_EQ(logIn(core, "nobody", "secret-of-nobody"), "1");
    }
    const std::string file = zrktest::readFile(dir.file("world.db")) + zrktest::readFile(dir.file("world.db-wal"));
    for (const char* clear : {"hero123", "rookie123", "nochar123", "elsewhere123"})
        EXPECT_EQ(file.find(clear), std::string::npos) << clear;
    for (const char* secret : {"hero123", "hero12", "secret-of-nobody"})
        EXPECT_FALSE(log.anyHolds(secret)) << secret;
}

TEST(WorldKeeps, AnOldWorldIsUpgradedInPlaceHashingEachOddPasswordOnce)
{
    zrktest::TempDir dir;
    const std::string longOne(10 * 1024, 'k');
    const std::string notUtf8 = std::string("\xff\xfe\xc3", 3) + "x";
    {
        // A world of schema 2: passwords in the clear, two nicknames apart only by
        // letter case.
        ZRKWorld world;
        ASSERT_TRUE(world.open(dir.file("world.db"), "res/server", false));
        ZRKDatabase& db = world.db();
        ASSERT_TRUE(db.exec("DROP INDEX players_nick; UPDATE meta SET value = '2' "
                            "WHERE key = 'schema'"));
        ASSERT_TRUE(db.exec("UPDATE accounts SET password = 'hero123' WHERE name = 'hero'"));
        ASSERT_TRUE(db.exec("UPDATE accounts SET password = '' WHERE name = 'rookie'"));
        ASSERT_TRUE(db.prepare("UPDATE accounts SET password = ? WHERE name = 'nochar'").bind(1, longOne).run());
        ASSERT_TRUE(db.prepare("UPDATE accounts SET password = ? WHERE name = 'elsewhere'").bind(1, notUtf8).run());
        ASSERT_TRUE(db.exec("UPDATE players SET nick = 'ärger' WHERE name = 'hero'; "
                            "UPDATE players SET nick = 'ÄRGER' WHERE name = 'rookie'"));
    }
    std::map<std::string, std::string> kept;
    {
        datatest::LogCapture log;
        ZRKWorld world;
        ASSERT_TRUE(world.open(dir.file("world.db"), "res/server", false));
        EXPECT_FALSE(world.wasMovedAside());
        kept = keptPasswords(world);
        EXPECT_TRUE(ZRKPasswords::verify(kept["hero"], "hero123"));
        EXPECT_TRUE(ZRKPasswords::verify(kept["rookie"], ""));
        EXPECT_TRUE(ZRKPasswords::verify(kept["nochar"], longOne));
        EXPECT_TRUE(ZRKPasswords::verify(kept["elsewhere"], notUtf8));
        EXPECT_FALSE(ZRKPasswords::verify(kept["nochar"], longOne + "k"));
        EXPECT_EQ(log.containing("ZRKWorld", "4 passwords kept as hashes"), 1u);
        for (const std::string& secret : {std::string("hero123"), longOne, notUtf8})
            EXPECT_FALSE(log.anyHolds(secret));
        // One nickname per player again; the index holds from now on.
        ZRKWorld::Player hero, rookie;
        ASSERT_TRUE(world.loadPlayer("hero", hero));
        ASSERT_TRUE(world.loadPlayer("rookie", rookie));
        EXPECT_NE(ZRKNameKey::of(hero.nick), ZRKNameKey::of(rookie.nick));
        EXPECT_TRUE(world.nicknameTaken("ÄrGeR"));
        std::string refusal;
        EXPECT_FALSE(world.setNick("nochar", "ÄRGER", refusal));
    }
    // Opened again: nothing is hashed twice.
    ZRKWorld again;
    ASSERT_TRUE(again.open(dir.file("world.db"), "res/server", false));
    EXPECT_EQ(keptPasswords(again), kept);
}

TEST(WorldKeeps, NicknamesAreTakenAsUnicodeFoldsLetterCaseInTheCheckAndTheIndex)
{
    EXPECT_EQ(ZRKNameKey::of("ÄRGER"), ZRKNameKey::of("ärger"));
    EXPECT_EQ(ZRKNameKey::of("Straße"),
              ZRKNameKey::of("STRASSE")); // ß folds to ss
    EXPECT_EQ(ZRKNameKey::of("İzmir"),
              ZRKNameKey::of("i\xcc\x87zmir")); // İ folds to i and a dot above
    EXPECT_NE(ZRKNameKey::of("İzmir"), ZRKNameKey::of("izmir"));
    EXPECT_EQ(ZRKNameKey::of("ΣΟΦΙΑ"), ZRKNameKey::of("σοφια"));
    EXPECT_EQ(ZRKNameKey::of("Hero"), "hero");
    EXPECT_FALSE(ZRKNameKey::of(std::string("\xff", 1)).empty()); // no UTF-8: still a key

    ZRKWorld world;
    ASSERT_TRUE(world.open(":memory:", "res/server", false));
    std::string refusal;
    ASSERT_TRUE(world.createCharacter("nochar", "ärger", 1, refusal));
    for (const char* same : {"ÄRGER", "Ärger", "ärger"})
        EXPECT_TRUE(world.nicknameTaken(same)) << same;
    EXPECT_FALSE(world.nicknameTaken("ärgern"));
    // Past the check, the world's index refuses a second player by that name.
    EXPECT_FALSE(world.setNick("rookie", "ÄRGER", refusal));
    EXPECT_EQ(refusal, "error/role_exists");
    EXPECT_FALSE(world.db()
                     .prepare("UPDATE players SET nick = 'x', nick_key = ? "
                              "WHERE name = 'rookie'")
                     .bind(1, ZRKNameKey::of("ÄRGER"))
                     .run());
    EXPECT_TRUE(world.setNick("rookie", "STRASSE", refusal));
    EXPECT_TRUE(world.nicknameTaken("straße"));
    EXPECT_EQ(world.playerOfNick("strasse"), "rookie");
}

TEST(WorldKeeps, AViewHandedOutWholeNeverChangesUnderItsHolder)
{
    ZRKWorld world;
    ASSERT_TRUE(world.open(":memory:", "res/server", false));
    const std::shared_ptr<const Json::Value> pc = world.sharedPlayerView("hero", ZRKWorld::PcView);
    const std::shared_ptr<const Json::Value> bag = world.sharedInventoryView("hero");
    ASSERT_TRUE(pc && bag);
    const Json::Value pcBefore = *pc, bagBefore = *bag;
    EXPECT_EQ(world.sharedPlayerView("hero", ZRKWorld::PcView), pc); // made once until a change
    std::string refusal;
    ASSERT_TRUE(world.addMoney("hero", ZRKWorld::Coins, 5, refusal));
    ASSERT_TRUE(world.moveItems("hero", {{61, 70}}, refusal));
    EXPECT_EQ(*pc, pcBefore); // the holder keeps what it was given
    EXPECT_EQ(*bag, bagBefore);
    EXPECT_EQ((*world.sharedPlayerView("hero", ZRKWorld::PcView))["pc_money1"].asInt64(),
              pcBefore["pc_money1"].asInt64() + 5);
    bool moved = false;
    for (const Json::Value& item : (*world.sharedInventoryView("hero"))["items"])
        moved = moved || item["pci_slot"].asInt() == 70;
    EXPECT_TRUE(moved);
    // Nothing to add changes nothing: the same view stays.
    const std::shared_ptr<const Json::Value> again = world.sharedPlayerView("hero", ZRKWorld::PcView);
    const long long none[4] = {0, 0, 0, 0};
    ASSERT_TRUE(world.addAbilities("hero", none, refusal));
    EXPECT_EQ(world.sharedPlayerView("hero", ZRKWorld::PcView), again);
    EXPECT_FALSE(world.addAbilities("nobody", none, refusal));
}

TEST(WorldKeeps, BagViewsLetGoAreBroughtUpToDateAndShowTheBagAsMadeAfresh)
{
    ZRKWorld world, mirror; // the mirror makes every view afresh
    ASSERT_TRUE(world.open(":memory:", "res/server", false));
    ASSERT_TRUE(mirror.open(":memory:", "res/server", false));
    std::string refusal;
    // Replies on their way hold some views, the game lets others go: each view handed out shows
    // the bag as it stood, and the newest shows it as a view made from the file would.
    const std::vector<std::pair<int, int>> moves = {{61, 70}, {62, 61}, {70, 62}, {61, 71},
                                                    {71, 61}, {62, 70}, {70, 62}};
    std::vector<std::pair<std::shared_ptr<const Json::Value>, Json::Value>> held;
    for (std::size_t i = 0; i < moves.size(); ++i) {
        ASSERT_TRUE(world.moveItems("hero", {moves[i]}, refusal)) << refusal;
        ASSERT_TRUE(mirror.moveItems("hero", {moves[i]}, refusal)) << refusal;
        std::shared_ptr<const Json::Value> view = world.sharedInventoryView("hero");
        ASSERT_TRUE(view);
        held.emplace_back(view, *view);
        if (i % 3 == 1)
            held.erase(held.begin()); // an older one let go: free to be used again
        for (const auto& h : held)
            EXPECT_EQ(*h.first, h.second) << "a held view changed at move " << i;
        Json::Value kept = *view;
        mirror.forgetRead();
        Json::Value fresh = *mirror.sharedInventoryView("hero");
        kept.removeMember("time");
        fresh.removeMember("time");
        EXPECT_EQ(kept, fresh) << "after move " << i;
    }
    // A refused move leaves the newest view as it was.
    const std::shared_ptr<const Json::Value> last = world.sharedInventoryView("hero");
    EXPECT_FALSE(world.moveItems("hero", {{999, 61}}, refusal));
    EXPECT_EQ(world.sharedInventoryView("hero"), last);
}

namespace {

/// What a stock SQLite, without the game's own functions, says of the file.
std::string integrityWithoutTheGame(const std::string& path)
{
    ZRKDatabase plain;
    if (!plain.openToRead(path))
        return "cannot open: " + plain.lastError();
    ZRKDatabase::Statement& q = plain.prepare("PRAGMA integrity_check");
    std::string out;
    while (q.valid() && q.step())
        out += q.text(0);
    if (out.empty())
        plain.noteStepError();
    q.reset();
    return out.empty() ? plain.lastError() : out;
}

} // namespace

TEST(WorldKeeps, AWorldOfSchema6KeepsItsNicknameKeysInAColumnAnySQLiteChecks)
{
    zrktest::TempDir dir;
    const std::string path = dir.file("world.db");
    {
        // The last schema's shape: the index computed by the game's own function.
        ZRKWorld world;
        ASSERT_TRUE(world.open(path, "res/server", false));
        std::string refusal;
        ASSERT_TRUE(world.createCharacter("nochar", "ärger", 1, refusal));
        ASSERT_TRUE(world.db().defineFunction("name_key", &ZRKNameKey::of));
        ASSERT_TRUE(world.db().exec("DROP INDEX players_nick; ALTER TABLE players DROP COLUMN nick_key; "
                                    "CREATE UNIQUE INDEX players_nick ON players(name_key(nick)) WHERE "
                                    "nick != ''; UPDATE meta SET value = '6' WHERE key = 'schema'"));
    }
    EXPECT_NE(integrityWithoutTheGame(path), "ok"); // the fault: no such function
    {
        datatest::LogCapture log;
        ZRKWorld world;
        ASSERT_TRUE(world.open(path, "res/server", false));
        EXPECT_FALSE(world.wasMovedAside());
        EXPECT_EQ(log.containing("ZRKWorld",
                                 "the world of schema 6 was brought up to " + std::to_string(ZRKWorld::kSchemaVersion)),
                  1u);
        EXPECT_EQ(world.playerOfNick("ÄRGER"), "nochar");
        std::string refusal;
        EXPECT_FALSE(world.setNick("rookie", "Ärger", refusal));
        ZRKDatabase::Statement& keys =
            world.db().prepare("SELECT count(*) FROM players WHERE nick != '' AND nick_key = ''");
        ASSERT_TRUE(keys.step());
        EXPECT_EQ(keys.integer(0), 0); // every nickname has its key
        keys.reset();
    }
    EXPECT_EQ(integrityWithoutTheGame(path), "ok");
}

TEST(WorldKeeps, AWorldOfANewerSchemaIsLeftExactlyAsItIs)
{
    zrktest::TempDir dir;
    const std::string path = dir.file("world.db");
    {
        ZRKWorld world;
        ASSERT_TRUE(world.open(path, "res/server", false));
        ASSERT_TRUE(world.db().exec("UPDATE meta SET value = '" + std::to_string(ZRKWorld::kSchemaVersion + 1) +
                                    "' WHERE key = 'schema'"));
    }
    EXPECT_EQ(ZRKWorld::schemaOf(path), ZRKWorld::kSchemaVersion + 1);
    auto files = [&] {
        std::map<std::string, std::string> out;
        for (const char* end : {"", "-wal", "-shm"})
            out[end] = std::filesystem::exists(path + end) ? zrktest::readFile(path + end) : std::string("<none>");
        return out;
    };
    // Closed as a newer game leaves it, and while that game's log is still
    // there (a kill): neither is touched, even when asked to start afresh.
    for (bool withLog : {false, true}) {
        if (withLog) {
            ZRKDatabase writer;
            ASSERT_TRUE(writer.open(path));
            ASSERT_TRUE(writer.exec("UPDATE players SET lv = 7 WHERE name = 'hero'"));
            writer.keepFilesAtClose();
            writer.close();
            ASSERT_TRUE(std::filesystem::exists(path + "-wal"));
        }
        const auto before = files();
        for (bool reset : {false, true}) {
            ZRKWorld world;
            EXPECT_FALSE(world.open(path, "res/server", reset));
            EXPECT_TRUE(world.isNewer());
            EXPECT_FALSE(world.isReady());
            EXPECT_FALSE(world.wasMovedAside());
        }
        EXPECT_EQ(files(), before) << withLog;
        EXPECT_FALSE(std::filesystem::exists(path + ".broken"));
    }
}

// A newer game killed before its log was folded in: the newer schema is found in the log alone,
// the world file itself still saying the older one. Its world is as newer as any.
TEST(WorldKeeps, ANewerSchemaFoundOnlyInTheWriteAheadLogCounts)
{
    zrktest::TempDir dir;
    const std::string path = dir.file("world.db");
    {
        ZRKWorld world;
        ASSERT_TRUE(world.open(path, "res/server", false));
    }
    {
        ZRKDatabase writer;
        ASSERT_TRUE(writer.open(path));
        ASSERT_TRUE(writer.exec("UPDATE meta SET value = '" + std::to_string(ZRKWorld::kSchemaVersion + 1) +
                                "' WHERE key = 'schema'"));
        writer.keepFilesAtClose();
        writer.close();
    }
    ASSERT_TRUE(std::filesystem::exists(path + "-wal"));
    const std::string file = zrktest::readFile(path), log = zrktest::readFile(path + "-wal");
    EXPECT_EQ(ZRKWorld::schemaOf(path), ZRKWorld::kSchemaVersion + 1);
    ZRKWorld world;
    EXPECT_FALSE(world.open(path, "res/server", false));
    EXPECT_TRUE(world.isNewer());
    EXPECT_EQ(zrktest::readFile(path), file);
    EXPECT_EQ(zrktest::readFile(path + "-wal"), log);
}
