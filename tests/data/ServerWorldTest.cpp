// The server's world: a change one request makes is what the next query shows, a refused
// request leaves nothing behind, the world outlasts the run in its file, a damaged file is set
// aside, and a run killed in the middle of its changes keeps every one it answered.
#include <gtest/gtest.h>

#include <core/AbstractWin32Application.h>
#include <core/BlackBoard.h>
#include <core/Frame.h>
#include <csignal>
#include <core/AvatarManager.h>
#include <data/ZRKGameData.h>
#include <server/ZRKGameServer.h>
#include <data/ZRKRequestBroker.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKSession.h>
#include <data/ZRKTaskRequest.h>
#include <data/ZRKUserRequest.h>
#include <server/ZRKWorld.h>
#include <server/ZRKWorldSeed.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <support/TestEnv.h>
#include <chrono>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include "DataTestKit.h"
#include "support/FramePump.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

ZRKServerConfig fileWorld(const zrktest::TempDir& dir, bool reset = false)
{
    ZRKServerConfig config;
    config.database = dir.file("world.db");
    config.reset = reset;
    config.bots = 0;
    return config;
}

/// A logged-in hero and what its requests answer.
struct Hero {
    explicit Hero(const ZRKServerConfig& config = ZRKServerConfig()) : session(ZRKGameServer::start(config))
    {
        session.login("hero", "hero123", [this](core::ISession*, int c) { code = c; });
        tick();
    }
    void tick(int frames = 1) { pump.frames(frames); }
    /// A frame of the game: the server answers, replies reach their completions.
    zrktest::FramePump pump{[this] {
        session.update(0);
        return true;
    }};
    /// Sends through `send` and ticks until the reply is in: (error, text).
    template <class Send> std::pair<bool, std::string> ask(Send send)
    {
        std::pair<bool, std::string> got{true, "<no reply>"};
        send([&got](bool e, const std::string& t) { got = {e, t}; });
        tick();
        return got;
    }
    core::XmlConfigHelper pc()
    {
        ask([](ZRKReply r) { ZRKUserRequest::queryUserInfo0("", r); });
        return ZRKUserRequest::getPc_id();
    }
    /// slot -> item id of the bag as the server has it now.
    std::map<int, int> bag()
    {
        ask([](ZRKReply r) { ZRKUserRequest::queryUserInventory(0, r); });
        std::map<int, int> out;
        for (const core::XmlConfigHelper& item : ZRKUserRequest::getInventory()->items())
            out[item.getIntVal("pci_slot", -1)] = item.getIntVal("i_id", 0);
        return out;
    }
    static core::XmlConfigHelper moves(int from, int to, const std::string& batch = std::string())
    {
        core::XmlConfigHelper p;
        p.setIntVal("slot_from", from);
        p.setIntVal("slot_to", to);
        if (!batch.empty())
            p.setStringVal("slot_batch", batch);
        return p;
    }

    ZRKSession session;
    int code = -1;
};

/// A copy of the shipped fixtures in `folder`, its item list changed by `edit`.
void copyFixtures(const std::string& folder, const std::function<void(Json::Value& items)>& edit)
{
    std::filesystem::copy("res/server", folder, std::filesystem::copy_options::recursive);
    Json::Value doc;
    std::string why;
    ASSERT_TRUE(ZRKWorldSeed::readFixture("res/server/itemclasses.json", doc, why)) << why;
    edit(doc["items"]);
    zrktest::writeFile(folder + "/itemclasses.json", Json::StyledWriter().write(doc));
}

/// What the world holds of a player: money, then each item as "id@slot".
std::vector<std::string> holdings(ZRKWorld& world, const std::string& player)
{
    std::vector<std::string> out;
    if (const ZRKWorld::Player* p = world.player(player))
        for (long long m : p->money)
            out.push_back(std::to_string(m));
    for (const ZRKWorld::Item& i : world.items(player))
        out.push_back(std::to_string(i.id) + "@" + std::to_string(i.slot));
    return out;
}

} // namespace

TEST(ServerWorld, AChangeIsWhatTheNextQueryShowsAndARefusalChangesNothing)
{
    Hero hero;
    ASSERT_EQ(hero.code, 0);
    EXPECT_EQ(hero.pc().getIntVal("pc_points", -1), 5);

    auto points = [&](const std::string& text) {
        return hero.ask([&](ZRKReply r) { ZRKUserRequest::addStatsPoint(text, r); });
    };
    EXPECT_FALSE(points("{dex:1,luk:0,str:2,vit:1}\n").first);
    core::XmlConfigHelper pc = hero.pc();
    EXPECT_EQ(pc.getIntVal("pc_points", -1), 1);
    EXPECT_EQ(pc.getIntVal("pc_str", -1), 5);
    EXPECT_EQ(pc.getIntVal("pc_dex", -1), 2);

    // More than there is, a negative amount, or words where numbers belong: refused, nothing moves.
    const std::pair<bool, std::string> tooMany = points("{dex:0,luk:0,str:2,vit:0}\n");
    EXPECT_EQ(tooMany, std::make_pair(true, std::string("You do not have that many stat points.")));
    EXPECT_TRUE(points("{dex:-1,luk:0,str:2,vit:0}\n").first);
    EXPECT_TRUE(points("{dex:x,luk:0,str:0,vit:0}\n").first);
    EXPECT_TRUE(points("[1,2,3,4]\n").first);
    pc = hero.pc();
    EXPECT_EQ(pc.getIntVal("pc_points", -1), 1);
    EXPECT_EQ(pc.getIntVal("pc_str", -1), 5);
    EXPECT_EQ(pc.getIntVal("pc_vit", -1), 3);
}

TEST(ServerWorld, ItemsMoveSwapAndNeverLandInTwoSlots)
{
    Hero hero;
    auto move = [&](const core::XmlConfigHelper& p) {
        return hero.ask([&](ZRKReply r) { ZRKUserRequest::changeSlot(p, r); });
    };
    const std::map<int, int> start = hero.bag();
    ASSERT_EQ(start.at(61), 3001);
    ASSERT_EQ(start.at(3), 2001);

    // The jacket is no glove; onto the coat it is worn in its place.
    EXPECT_EQ(move(Hero::moves(61, 5)), std::make_pair(true, std::string("That item cannot be worn there.")));
    EXPECT_FALSE(move(Hero::moves(61, 3)).first);
    std::map<int, int> bag = hero.bag();
    EXPECT_EQ(bag.at(3), 3001);
    EXPECT_EQ(bag.at(61), 2001);
    EXPECT_EQ(bag.size(), start.size());

    // Out of every bag, from an empty slot, or a batch whose second move cannot be made: all
    // refused, and the first move of that batch undone.
    EXPECT_EQ(move(Hero::moves(3, 999)), std::make_pair(true, std::string("That item cannot go there.")));
    EXPECT_EQ(move(Hero::moves(78, 79)), std::make_pair(true, std::string("That item is not in your bag.")));
    EXPECT_TRUE(move(Hero::moves(3, 61, "62,63,64,0")).first);
    EXPECT_TRUE(move(Hero::moves(3, 61, "62,")).first);
    EXPECT_EQ(hero.bag(), bag);
    EXPECT_FALSE(move(Hero::moves(3, 61, "62,63")).first);
    bag = hero.bag();
    EXPECT_EQ(bag.at(61), 3001);
    EXPECT_EQ(bag.at(63), 3002);
}

TEST(ServerWorld, MoneyNeverGoesBelowZero)
{
    ZRKWorld world;
    ASSERT_TRUE(world.open(":memory:", "res/server", false));
    std::string refusal;
    ZRKDatabase::Transaction t(world.db());
    EXPECT_TRUE(world.addMoney("hero", ZRKWorld::Coins, -1200, refusal));
    EXPECT_FALSE(world.addMoney("hero", ZRKWorld::Coins, -1, refusal));
    EXPECT_EQ(refusal, "warning/no_enough_zaobi");
    EXPECT_FALSE(world.addMoney("hero", ZRKWorld::Medals, -6, refusal));
    EXPECT_EQ(refusal, "warning/no_enough_guabi");
    EXPECT_FALSE(world.addMoney("nobody", ZRKWorld::Coins, 5, refusal));
    ZRKWorld::Player hero;
    ASSERT_TRUE(world.loadPlayer("hero", hero));
    EXPECT_EQ(hero.money[ZRKWorld::Coins], 0);
    EXPECT_EQ(hero.money[ZRKWorld::Medals], 5);
}

// A lesson played again, or reported out of order, never takes a later one away.
TEST(ServerWorld, TheLessonProgressOnlyEverGoesUp)
{
    Hero hero;
    ASSERT_EQ(hero.code, 0);
    ZRKWorld& world = hero.session.getGameServer()->core().world();
    ASSERT_EQ(world.player("hero")->newbieTask, 7);
    const auto report = [&hero](int lesson) {
        return hero.ask([lesson](ZRKReply r) { ZRKTaskRequest::updateNewbieTask(lesson, 1001, r); });
    };
    EXPECT_FALSE(report(2).first); // answered as kept: the world keeps the higher one
    EXPECT_EQ(world.player("hero")->newbieTask, 7);
    EXPECT_EQ(ZRKUserRequest::getUserSetting("hero").getIntVal("pc_newbie_task", -1), 7);
    EXPECT_FALSE(report(0).first);
    EXPECT_EQ(world.player("hero")->newbieTask, 7);
    EXPECT_FALSE(report(8).first);
    EXPECT_EQ(world.player("hero")->newbieTask, 8);
    EXPECT_EQ(ZRKUserRequest::getUserSetting("hero").getIntVal("pc_newbie_task", -1), 8);
    EXPECT_TRUE(report(-1).first); // no lesson number
    EXPECT_EQ(world.player("hero")->newbieTask, 8);
}

TEST(ServerWorld, TheWorldOutlastsTheRunAndAResetSeedsItAfresh)
{
    zrktest::TempDir dir;
    {
        Hero hero(fileWorld(dir));
        ASSERT_EQ(hero.code, 0);
        hero.ask([](ZRKReply r) { ZRKUserRequest::addStatsPoint("{dex:0,luk:5,str:0,vit:0}\n", r); });
    }
    {
        Hero again(fileWorld(dir));
        EXPECT_EQ(again.pc().getIntVal("pc_luk", -1), 5);
    }
    Hero fresh(fileWorld(dir, true));
    EXPECT_EQ(fresh.pc().getIntVal("pc_luk", -1), 0);
    EXPECT_EQ(fresh.pc().getIntVal("pc_points", -1), 5);
}

TEST(ServerWorld, ADamagedWorldFileIsSetAsideWithOneLineAndAFreshWorldServed)
{
    zrktest::TempDir dir;
    const std::string junk = "this was never a world " + std::string(5000, '#');
    zrktest::writeFile(dir.file("world.db"), junk);
    datatest::LogCapture log;
    Hero hero(fileWorld(dir));
    EXPECT_EQ(hero.code, 0); // a fresh world, not an empty one
    EXPECT_EQ(hero.pc().getIntVal("pc_lv", 0), 9);
    EXPECT_TRUE(hero.session.getGameServer()->core().worldWasReset());
    EXPECT_EQ(log.containing("ZRKWorld", "moved aside"), 1u);
    EXPECT_EQ(zrktest::readFile(dir.file("world.db.broken")), junk);

    // A sound database that is no world of this server is set aside the same way.
    zrktest::TempDir other;
    {
        ZRKDatabase db;
        ASSERT_TRUE(db.open(other.file("world.db")));
        ASSERT_TRUE(db.exec("CREATE TABLE notes(text TEXT); INSERT INTO notes VALUES('mine')"));
    }
    Hero second(fileWorld(other));
    EXPECT_EQ(second.code, 0);
    EXPECT_TRUE(second.session.getGameServer()->core().worldWasReset());
}

TEST(ServerWorld, TheWorldsFilesAreThePlayersAloneAndNoLinkOrFifoIsFollowedOrWaitedOn)
{
    auto modeOf = [](const std::string& path) {
        struct stat st;
        return ::lstat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 0777) : -1;
    };
    // Made 0600 whatever the umask; one an older version left readable by others is tightened.
    {
        zrktest::TempDir dir;
        const mode_t old = ::umask(0);
        {
            Hero hero(fileWorld(dir));
            EXPECT_EQ(hero.code, 0);
            for (const char* end : {"", "-wal", "-shm", ".lock"})
                EXPECT_EQ(modeOf(dir.file(std::string("world.db") + end)), 0600) << end;
        }
        ::chmod(dir.file("world.db").c_str(), 0644);
        {
            Hero again(fileWorld(dir));
            EXPECT_EQ(modeOf(dir.file("world.db")), 0600);
        }
        ::umask(old);
    }
    // A FIFO at the world's name: refused at once as a bad world is (set aside, a fresh world,
    // the box), never waited on; one at its lock's or a side file's name is nobody's: it goes.
    for (const char* where : {"world.db", "world.db.lock", "world.db-wal"}) {
        zrktest::TempDir dir;
        ASSERT_EQ(::mkfifo(dir.file(where).c_str(), 0600), 0);
        const auto start = std::chrono::steady_clock::now();
        Hero hero(fileWorld(dir));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << where;
        if (std::string(where) == "world.db") {
            EXPECT_EQ(hero.code, 0);
            EXPECT_TRUE(hero.session.getGameServer()->core().worldWasReset());
            struct stat st;
            ASSERT_EQ(::lstat(dir.file("world.db.broken").c_str(), &st), 0);
            EXPECT_TRUE(S_ISFIFO(st.st_mode));
        } else {
            EXPECT_EQ(hero.code, 0) << where; // no lock nor log of any game: it went
            EXPECT_FALSE(std::filesystem::is_fifo(dir.file(where))) << where;
        }
    }
    // A link at the world's, its lock's or a side file's name never reaches what it points to.
    for (const char* where : {"world.db", "world.db.lock", "world.db-wal", "world.db-shm"}) {
        zrktest::TempDir dir;
        const std::string victim(3000, 'v');
        zrktest::writeFile(dir.file("victim"), victim);
        std::filesystem::create_symlink(dir.file("victim"), dir.file(where));
        {
            Hero hero(fileWorld(dir));
            hero.ask([](ZRKReply r) { ZRKUserRequest::addStatsPoint("{dex:0,luk:1,str:0,vit:0}\n", r); });
        }
        EXPECT_EQ(zrktest::readFile(dir.file("victim")), victim) << where;
    }
}

namespace {
/// A headless run of the framework whose session plays against the given world.
class WorldApp : public core::ExampleApplication<core::ApplicationConfiguration> {
public:
    explicit WorldApp(const ZRKServerConfig& config)
        : core::ExampleApplication<core::ApplicationConfiguration>(nullptr, "game.exe"), mConfig(config)
    {
    }
    boost::shared_ptr<core::BlackBoard> onCreateBlackBoardImpl() override
    {
        auto board = ExampleApplication::onCreateBlackBoardImpl();
        board->setBool("kavri3D/headless", true);
        return board;
    }
    core::SessionPtr onCreateSession() override
    {
        return core::SessionPtr(new ZRKSession(ZRKGameServer::start(mConfig)));
    }
    bool onRun() override
    {
        getApplicationState()->start();
        zrktest::FramePump([this] { return runOneFrame(); }).frames(3);
        for (const core::Frame::BoxRecord& box : getMainFrame()->getMessageBoxes())
            boxes.push_back(box.titleKey + " " + box.textKey);
        return true;
    }
    std::vector<std::string> boxes;

private:
    ZRKServerConfig mConfig;
};
} // namespace

TEST(ServerWorld, TheGameSaysOnceInABoxThatTheWorldWasSetAside)
{
    zrktest::TempDir dir;
    zrktest::writeFile(dir.file("world.db"), std::string(4096, 'x'));
    WorldApp broken(fileWorld(dir));
    ASSERT_TRUE(core::runApplication(broken));
    EXPECT_EQ(broken.boxes, std::vector<std::string>{"error/title1 error/srv_data_reset"});
    WorldApp sound(fileWorld(dir)); // the fresh world is read the next time without a word
    ASSERT_TRUE(core::runApplication(sound));
    EXPECT_TRUE(sound.boxes.empty());
}

TEST(ServerWorld, ASecondGameOnAWorldInUseGetsOneBoxAndPlaysNothingAgainstIt)
{
    zrktest::TempDir dir;
    {
        Hero first(fileWorld(dir)); // seeds the file
        first.ask([](ZRKReply r) { ZRKUserRequest::addStatsPoint("{dex:0,luk:5,str:0,vit:0}\n", r); });
    }
    int ready[2], done[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(done), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The first game: holds the world until told to stop.
        close(ready[0]);
        close(done[1]);
        int code = 1;
        {
            ZRKServerCore core(fileWorld(dir), 0);
            char c = core.isReady() ? 'y' : 'n';
            if (write(ready[1], &c, 1) == 1 && read(done[0], &c, 1) >= 0)
                code = core.isReady() ? 0 : 2;
        }
        _exit(code);
    }
    close(ready[1]);
    close(done[0]);
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    EXPECT_EQ(c, 'y');
    {
        // The second game, even one asking for a fresh world, neither reads nor resets it.
        WorldApp second(fileWorld(dir, true));
        ASSERT_TRUE(core::runApplication(second));
        EXPECT_EQ(second.boxes, std::vector<std::string>{"error/title1 error/srv_world_in_use"});
        Hero hero(fileWorld(dir, true));
        EXPECT_NE(hero.code, 0);
        EXPECT_TRUE(hero.session.getGameServer()->core().worldInUse());
        EXPECT_FALSE(hero.session.getGameServer()->core().isReady());
    }
    ASSERT_EQ(write(done[1], "x", 1), 1);
    int status = 0;
    waitpid(child, &status, 0);
    close(ready[0]);
    close(done[1]);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    // Once the first game is gone the world is whole and free again.
    Hero after(fileWorld(dir));
    EXPECT_EQ(after.code, 0);
    EXPECT_EQ(after.pc().getIntVal("pc_luk", -1), 5);
}

TEST(ServerWorld, ARunKilledMidStreamKeepsEveryAnsweredChangeAndNoHalfOfOne)
{
    zrktest::TempDir dir;
    const long answered = datatest::answeredBeforeKill(
        [&dir](const std::function<void(long)>& tell) {
            // The server alone, answering a stream of changes as fast as it can.
            ZRKServerCore core(fileWorld(dir), 0);
            core.world().db().exec("UPDATE players SET points = 1000000000 WHERE name = 'hero'");
            const long c = core.connect();
            std::vector<ZRKMessage> out;
            ZRKRequestInfo login;
            login.handle = 1;
            login.op = "login";
            login.args["name"] = "hero";
            login.args["password"] = "hero123";
            core.handle(c, ZRKMessage::request(login));
            for (long n = 2;; ++n) {
                ZRKRequestInfo change;
                change.handle = n;
                if (n % 2) {
                    change.op = "changeSlot";
                    change.args = Json::Value(Json::arrayValue);
                    change.args[0]["slot_from"] = "61";
                    change.args[0]["slot_to"] = "62"; // the two items of the bag swap
                } else {
                    change.op = "addStatsPoint";
                    change.args["str"] = 1;
                    change.args["vit"] = 0;
                    change.args["dex"] = 0;
                    change.args["luk"] = 0;
                }
                core.handle(c, ZRKMessage::request(change));
                out.clear();
                core.take(c, out);
                if (out.empty() || out.back().error)
                    _exit(3);
                tell(n);
            }
        },
        400);
    ASSERT_GE(answered, 400);

    ZRKWorld world;
    ASSERT_TRUE(world.open(dir.file("world.db"), "res/server", false));
    EXPECT_FALSE(world.wasMovedAside());
    ZRKWorld::Player hero;
    ASSERT_TRUE(world.loadPlayer("hero", hero));
    const long long pointsAnswered = answered / 2;              // the even requests, from 2 on
    EXPECT_GE(hero.abilities[0] - 3, pointsAnswered);           // nothing answered is lost
    EXPECT_LE(hero.abilities[0] - 3, pointsAnswered + 1);       // at most the one on its way
    EXPECT_EQ(hero.points + hero.abilities[0], 1000000000 + 3); // never half of one
    std::map<int, long long> slots;
    for (const ZRKWorld::Item& i : world.items("hero"))
        slots[i.slot] = i.id;
    EXPECT_EQ(slots.size(), 31u);
    const bool swapped = slots[61] == 3002 && slots[62] == 3001;
    EXPECT_TRUE(swapped || (slots[61] == 3001 && slots[62] == 3002)); // both items, one slot each
    // The swaps answered (odd requests from 3 on), and perhaps the one on its way.
    const long long swaps = (answered - 1) / 2;
    const bool inFlightSwap = (answered + 1) % 2 == 1;
    EXPECT_TRUE(swapped == (swaps % 2 == 1) || inFlightSwap);
}

TEST(ServerWorld, WornSlotsTakeTheirKindBindWhatIsWornAndTheAnswerNamesTheChangedSlots)
{
    Hero hero;
    auto move = [&](const core::XmlConfigHelper& p) {
        return hero.ask([&](ZRKReply r) { ZRKUserRequest::changeSlot(p, r); });
    };
    hero.bag();
    const long before = ZRKUserRequest::getInventoryTime();
    auto bound = [](int slot) {
        for (const core::XmlConfigHelper& item : ZRKUserRequest::getInventory()->items())
            if (item.getIntVal("pci_slot", -1) == slot)
                return item.getIntVal("pci_bind", -1);
        return -1;
    };
    ASSERT_EQ(bound(62), 0);
    // Gloves onto the hands: bound; the answer carries the bag and the two slots.
    EXPECT_FALSE(move(Hero::moves(62, 5)).first);
    EXPECT_EQ(bound(5), 1);
    std::vector<int> dirty;
    ZRKUserRequest::getDirtySlots(dirty, true);
    EXPECT_EQ(dirty, (std::vector<int>{5, 62}));
    dirty.clear();
    ZRKUserRequest::getDirtySlots(dirty, true);
    EXPECT_TRUE(dirty.empty());
    EXPECT_GT(ZRKUserRequest::getInventoryTime(), before);
    // Taken off again it stays bound.
    EXPECT_FALSE(move(Hero::moves(5, 78)).first);
    EXPECT_EQ(bound(78), 1);

    // The girl's coat fits no boy; props and boxes are worn nowhere; the temporary bag takes
    // nothing; past the bag's 30 cells is no cell.
    for (auto m : {std::make_pair(63, 3), std::make_pair(51, 2), std::make_pair(61, 201), std::make_pair(61, 91)})
        EXPECT_TRUE(move(Hero::moves(m.first, m.second)).first) << m.first << " to " << m.second;
    // A swap whose other half does not fit is refused whole.
    EXPECT_TRUE(move(Hero::moves(3, 51)).first);
    // Slot numbers that would wrap into a bag are no slots.
    core::XmlConfigHelper wrapping = Hero::moves(61, 62);
    wrapping.setStringVal("slot_to", "4294967299");
    EXPECT_TRUE(move(wrapping).first);
    EXPECT_EQ(hero.bag().at(3), 2001);

    // Every slot of the list form, empty ones with "i_id" 0, no temporary bag.
    std::list<core::XmlConfigHelper> all;
    EXPECT_EQ(ZRKUserRequest::getBagItems(ZRKUserRequest::getInventory(), all), 12 + 27 + 10 + 30);
    int last = 0;
    for (const core::XmlConfigHelper& slot : all) {
        EXPECT_GT(slot.getIntVal("pci_slot", 0), last);
        last = slot.getIntVal("pci_slot", 0);
    }
    EXPECT_EQ(last, 90);
    std::list<core::XmlConfigHelper> temporary;
    EXPECT_EQ(ZRKUserRequest::getBagItems(ZRKUserRequest::getInventory(), 11, temporary), 1);
}

TEST(ServerWorld, AGradeChangeReachesThePlayerAsAnAvatarUpdate)
{
    Hero hero;
    hero.pc();
    std::vector<std::pair<std::string, int>> heard;
    core::AvatarManager* avatars = ZRKUserRequest::getAvatarManager();
    ASSERT_TRUE(avatars);
    boost::signals2::scoped_connection c = avatars->subscribeToUpdateSignal([&](const std::string& id, int flags) {
        heard.emplace_back(id, flags);
        EXPECT_EQ(ZRKUserRequest::getPc_id().getIntVal("pc_lv", 0), 12); // the view is new already
    });
    ASSERT_TRUE(hero.session.getGameServer()->core().setGrade("hero", 12, 6));
    EXPECT_FALSE(hero.session.getGameServer()->core().setGrade("nobody", 1, 1));
    EXPECT_TRUE(heard.empty()); // on the next frame, not inside the change
    hero.tick(2);
    EXPECT_EQ(heard, (std::vector<std::pair<std::string, int>>{{"hero", 2}}));
    EXPECT_EQ(hero.pc().getIntVal("pc_rank", 0), 6);
}

TEST(ServerWorld, TheAccountsCharactersComeWithTheOwnInformation)
{
    Hero hero;
    hero.pc();
    const std::list<core::XmlConfigHelper> characters = ZRKUserRequest::getUserSettings();
    ASSERT_EQ(characters.size(), 2u);
    EXPECT_EQ(characters.front().getStringVal("pc_nickname", ""), "Hero");
    EXPECT_EQ(characters.back().getStringVal("pc_nickname", ""), "Heroine");
    EXPECT_EQ(characters.front().getIntVal("pc_money1", 0), 1200);
    EXPECT_EQ(characters.front().getIntVal("pc_stp", 0), 5);
    EXPECT_EQ(characters.front().getStringVal("pc_stats", ""), "[42,25,61]");
}

TEST(ServerWorld, AnOlderWorldTakesTheFixturesGameDataAtEachStartAndKeepsItsPlayersOwn)
{
    zrktest::TempDir dir;
    // The older set had neither the banner (5025) nor the tonic (5004), called the jacket
    // otherwise, and had two items since retired.
    copyFixtures(dir.file("older"), [](Json::Value& items) {
        items.removeMember("5025");
        items.removeMember("5004");
        items["99001"] = items["3001"];
        items["99002"] = items["3001"];
        items["3001"]["i_name"] = "Old Jacket";
    });
    ZRKServerConfig config;
    config.database = dir.file("world.db");
    config.bots = 0;
    config.seed = 7;
    config.folder = dir.file("older");
    std::vector<std::string> held;
    {
        datatest::LogCapture log;
        ZRKServerCore core(config, 0);
        ASSERT_TRUE(core.world().isReady());
        EXPECT_TRUE(log.anyHolds("no item 5025"));
        // Hero plays on it: spends coins and comes by a retired item.
        std::string refusal;
        ASSERT_TRUE(core.world().addMoney("hero", ZRKWorld::Coins, -123, refusal)) << refusal;
        ZRKWorld::Item kept;
        kept.id = 99002;
        kept.slot = 80;
        ASSERT_TRUE(core.world().addItem("hero", kept));
        held = holdings(core.world(), "hero");
    }

    // The newer game opens the same world: the shop sells all it lists, the items are as the
    // fixtures have them, what nobody holds of the retired ones is gone, hero's own is as he left it.
    config.folder = "res/server";
    {
        datatest::LogCapture log;
        ZRKServerCore core(config, 0);
        ASSERT_TRUE(core.world().isReady());
        EXPECT_FALSE(log.anyHolds("is left out"));
        EXPECT_EQ(log.containing("ZRKWorld", "game data was brought up to date"), 1u);
        EXPECT_EQ(log.containing("ZRKWorld", "item 99002 is no longer in the fixtures but players hold it"), 1u);
        const Json::Value& items = core.world().document("lib/item");
        EXPECT_TRUE(items.isMember("5025"));
        EXPECT_TRUE(items.isMember("5004"));
        EXPECT_EQ(items["3001"]["i_name"].asString(), "Field Jacket");
        EXPECT_FALSE(items.isMember("99001"));
        EXPECT_TRUE(items.isMember("99002"));
        EXPECT_EQ(holdings(core.world(), "hero"), held);
        const long c = core.connect();
        Json::Value login;
        login["name"] = "hero";
        login["password"] = "hero123";
        EXPECT_EQ(datatest::ask(core, c, 1, "login", login).text, "0");
        const ZRKMessage shop = datatest::ask(core, c, 2, "queryShop", Json::Value(Json::arrayValue));
        bool banner = false;
        for (const Json::Value& entry : shop.views["shop"])
            banner = banner || entry["i_id"].asInt() == 5025;
        EXPECT_TRUE(banner);
    }
    // Started again on the same fixtures: nothing to bring up to date.
    {
        datatest::LogCapture log;
        ZRKServerCore core(config, 0);
        EXPECT_EQ(log.containing("ZRKWorld", "brought up to date"), 0u);
        EXPECT_EQ(holdings(core.world(), "hero"), held);
    }
    // A broken item list: one line, and the world serves what it had.
    copyFixtures(dir.file("broken"), [](Json::Value&) {});
    zrktest::writeFile(dir.file("broken/itemclasses.json"), "{\"classes\": [], \"items\": {\"x\": 1}}");
    config.folder = dir.file("broken");
    {
        datatest::LogCapture log;
        ZRKServerCore core(config, 0);
        ASSERT_TRUE(core.world().isReady());
        EXPECT_EQ(log.containing("ZRKWorld", "could not be brought up to date"), 1u);
        EXPECT_TRUE(core.world().document("lib/item").isMember("5025"));
        EXPECT_FALSE(core.world().document("itemClasses").empty());
        EXPECT_EQ(holdings(core.world(), "hero"), held);
    }
}
