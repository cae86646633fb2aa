#pragma once
#include <json/json.h>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>
#include "server/ZRKDatabase.h"

namespace kavri3D {
namespace zrk {

class ZRKWorldFile;
class ZRKWorldInventory;
class ZRKWorldProgress;
class ZRKWorldViews;

/// The server's world that lasts across runs: accounts, players (money, level, stat points,
/// looks, settings), their items by bag and slot, their quests, the item templates and the
/// game's data documents. It lives in an SQLite database (a file beside the user settings,
/// or in memory for tests) seeded from the fixture folder. Every change runs inside the
/// caller's transaction; a change that would break the world (money below zero, two items in
/// one slot) is refused and leaves nothing behind. The world is its file's one writer while it
/// serves, so what it read stays known until it changes it or work is undone. The file's
/// schema and lock, the players' views, their bags and their progress are each kept by a
/// class of their own; the world holds the players as read and the game's documents.
class ZRKWorld {
public:
    struct Account {
        long long id = 0;
        std::string name;
        std::string passwordHash; ///< as ZRKPasswords keeps it, never the password
        std::string player;
        bool elsewhere = false; ///< logged in from elsewhere whenever the server starts
    };
    struct Player {
        std::string name;
        long long accountId = 0; ///< 0 for the server's own players
        long long pcId = 0;      ///< 0 while the account has no character
        std::string nick;
        long long cId = 0;
        long long lv = 1;
        long long exp = 0;
        long long rank = 0;
        long long newbieTask = 0;
        long long money[3] = {0, 0, 0};
        long long points = 0;
        long long abilities[4] = {0, 0, 0, 0}; ///< str, vit, dex, luk
        bool bot = false;
        /// The documents, shared with the world's copy of them (read-only).
        std::shared_ptr<const Json::Value> looks, settings, record, lists;
        static const Json::Value& doc(const std::shared_ptr<const Json::Value>& d)
        {
            return d ? *d : Json::Value::nullSingleton();
        }
    };
    struct Item {
        long long lid = 0;
        long long id = 0;
        int bag = 0;
        int slot = 0;
        long long count = 1;
        int bind = 0; ///< 1 once worn: a bound item stays with its player
        int lv = 0;
        std::string buyTime; ///< "YYYY-MM-DD hh:mm:ss", empty when not bought
        int expiryDay = 0;
        // What the forge changes.
        long long bonus[4] = {0, 0, 0, 0}; ///< "pci_str", "pci_luck", "pci_dex", "pci_vit"
        long long mixTimes = 0;
        long long mixMax = 0;
        long long enhF = 0;
        std::string attrX; ///< the gems set in the item's holes, "7201,0,0"
    };
    /// A quest of a player: its state (16 running, 32 done, 64 rewarded) and how far its goal is.
    struct Quest {
        long long id = 0;
        long long state = 0;
        long long progress = 0;
    };
    enum QuestState { QuestRunning = 16, QuestDone = 32, QuestRewarded = 64 };
    /// The stat points each level reached gives.
    static constexpr long long kPointsPerLevel = 3;
    enum MoneyKind { Coins, Coupons, Medals, MoneyKinds };
    static const char* const kAbilityNames[4];

    ZRKWorld();
    ~ZRKWorld();
    ZRKWorld(const ZRKWorld&) = delete;
    ZRKWorld& operator=(const ZRKWorld&) = delete;

    /// Opens the world at `path` and seeds it from `fixtures` when it is new, or afresh when
    /// `reset`; a world seeded before takes the fixtures' game data (items, their classes,
    /// master and libraries) as they are now, its players' data as it was. A file that is not a sound world is moved
    /// aside (to path + ".broken") and a fresh world is seeded; wasMovedAside() then tells. False when no world could
    /// be had (the fixtures are broken, or the folder cannot be written): the reason is logged. A world file has one
    /// writer: the run holds a lock beside it (path + ".lock") until the world goes, and a second game on the same file
    /// gets no world (isInUse() then tells).
    bool open(const std::string& path, const std::string& fixtures, bool reset);
    bool isReady() const { return mReady; }
    bool wasMovedAside() const;
    /// Another game holds the world file: nothing is read or written.
    bool isInUse() const;
    /// The file is a world of a newer schema, made by a newer game: it and its "-wal" and
    /// "-shm" files are left exactly as they are, and there is no world.
    bool isNewer() const { return mNewer; }
    /// The schema number the world file at `path` says it has, read without changing the file
    /// or its companions; 0 when there is no file, -1 when it tells none.
    static int schemaOf(const std::string& path);
    /// What the world keeps beside a nickname for its one-player-per-name index (ZRKNameKey);
    /// empty for no nickname.
    static std::string nickKey(const std::string& nick);
    ZRKDatabase& db() { return mDb; }

    // Reading.
    bool findAccount(const std::string& name, Account& out);
    bool loadPlayer(const std::string& name, Player& out);
    /// The player as the world knows it, valid until the next change; null for none.
    const Player* player(const std::string& name);
    bool hasPlayer(const std::string& name);
    /// The player whose character has that "pc_id" (the server's own players too); "" for none.
    std::string playerOfCharacter(long long pcId);
    std::vector<Item> items(const std::string& player);
    const Json::Value& quests(const std::string& player) { return *sharedQuests(player); }
    /// The player's quests ([{q_id, state, progress}]), made once until they change.
    std::shared_ptr<const Json::Value> sharedQuests(const std::string& player);
    std::vector<Quest> questRows(const std::string& player);
    /// A data document: "master", "itemClasses", "lib/item", "lib/<name>"; null when none.
    /// Documents do not change while the world serves, so each is read once.
    const Json::Value& document(const std::string& name);
    /// Stores a document the server makes from its own settings (not the seed) before it serves.
    bool putDocument(const std::string& name, const Json::Value& value);

    // Views of a player as the game reads them.
    /// The card is what every player sees of one: the information with the character's record
    /// over it.
    enum PlayerView { InfoView, SettingsView, PcView, CardView, PlayerViews };
    /// One view of a player, made once until the player changes; null for no such player.
    const Json::Value& playerView(const std::string& name, PlayerView which);
    /// The same view to hand over whole: the world never changes it once made (a change makes
    /// a new one). Null for no such player.
    std::shared_ptr<const Json::Value> sharedPlayerView(const std::string& name, PlayerView which);
    static Json::Value infoView(const Player& p);
    static Json::Value settingsView(const Player& p);
    static Json::Value pcView(const Player& p);
    /// The settings of each character of the player's account, own first ("characters" of its
    /// lists; the player alone when it has none), made once until one of them changes.
    const Json::Value& charactersView(const std::string& name) { return *sharedCharactersView(name); }
    std::shared_ptr<const Json::Value> sharedCharactersView(const std::string& name);
    /// The player's bag as the game reads it ({"items": [...]}), made once until it changes.
    const Json::Value& inventoryView(const std::string& player) { return *sharedInventoryView(player); }
    std::shared_ptr<const Json::Value> sharedInventoryView(const std::string& player);

    // Changes, inside the caller's transaction. False, with the message key of the refusal,
    // when the change is not allowed; nothing is then changed.
    bool addAbilities(const std::string& player, const long long add[4], std::string& refusal);
    /// Moves items slot to slot, in order; an item moved onto another swaps with it. A worn slot
    /// takes only an item made for it (its sub-class's "isc_slot", a "c_id" of 0 or the player's)
    /// and binds it. Every move is checked before anything is written; `changed` gets the slots
    /// whose content changed.
    bool moveItems(const std::string& player, const std::vector<std::pair<int, int>>& moves, std::string& refusal,
                   std::vector<int>* changed = nullptr);
    /// Sets a player's level and rank (the battles' awards, the test's control).
    bool setGrade(const std::string& player, long long lv, long long rank);
    /// The tutorial's progress goes up to `task` (never down); false for no such player.
    bool raiseNewbieTask(const std::string& player, long long task);
    /// The bag proper's size of a player ("pc_bag_slot" of the settings, 0 to 60).
    int bagSlots(const Player& p) const;
    /// Whether the item may lie in the slot for that player: a worn slot takes only its kind
    /// made for the player's sex, a weapon bag weapons, the props bag props.
    bool fits(long long itemId, int slot, const Player& p);
    /// The item's sub-class record of "itemClasses" ("isc_slot", "ic_name", ...); null for none.
    const Json::Value& subClassOf(long long itemId);
    /// The item template's attributes; null for an unknown item.
    const Json::Value& itemAttrs(long long itemId);
    bool addMoney(const std::string& player, MoneyKind kind, long long delta, std::string& refusal);
    /// Writes an item of the player back as the forge or the shop left it (level, count, bonuses,
    /// mixes, enhancement, gems, buy time and days); a count of 0 or less takes it out of its slot.
    bool writeItem(const std::string& player, const Item& item);
    /// Puts a new item into its (free) slot; `item.lid` gets its id.
    bool addItem(const std::string& player, Item& item);
    /// Moves an item of the player to another slot as it stands (no fitting rules: the caller
    /// checked them); a slot taken by another item refuses it.
    bool placeItem(const std::string& player, long long lid, int slot);
    /// Replaces the player's settings document ("pc_bag_slot", "pc_score", ...).
    bool setSettings(const std::string& player, const Json::Value& settings);
    /// Replaces the player's lists document ("roster", "guild", "titles", ...).
    bool setLists(const std::string& player, const Json::Value& lists);
    /// The player who goes by that nickname, as Unicode folds letter case; "" for none.
    std::string playerOfNick(const std::string& nick);
    /// Gives the player another nickname; "error/role_exists" when another player has it.
    bool setNick(const std::string& player, const std::string& nick, std::string& refusal);
    /// Writes a quest's state and progress; false when the player has no such quest.
    bool setQuest(const std::string& player, const Quest& quest);
    /// The first empty slot of the bag proper (then of the temporary bag, when `temporaryToo`);
    /// 0 for none.
    int freeSlot(const std::string& player, bool temporaryToo);
    /// The level the player's experience reaches in the master's "exp_table", when it is above
    /// his own, with kPointsPerLevel stat points for each level gained (`gained`).
    bool gainLevels(const std::string& player, long long& gained);
    /// Gives every spent stat point back.
    bool resetAbilities(const std::string& player);
    /// Adds experience (never below zero); false for no such player.
    bool addExperience(const std::string& player, long long delta);
    /// Whether any player (the server's own included) is known by that nickname, as Unicode
    /// folds letter case (ZRKNameKey); the world's unique index holds the same rule.
    bool nicknameTaken(const std::string& nick);
    /// Gives the player (one without a character) its character: a pc_id above every other
    /// player's of the accounts, level 1, newbie task 0, the look of its sex.
    bool createCharacter(const std::string& player, const std::string& nick, int cId, std::string& refusal);
    /// Replaces the player's default look.
    bool setLooks(const std::string& player, const Json::Value& looks);
    /// The shop's ledger: the answer a purchase under that id got the player; null for none.
    Json::Value purchaseAnswer(const std::string& id, const std::string& player);
    /// Whether any player made a purchase under that id.
    bool purchaseKnown(const std::string& id);
    /// Keeps a purchase or renewal (`kind`) with its cost per money kind and its answer.
    bool recordPurchase(const std::string& id, const std::string& player, const std::string& kind,
                        const long long cost[MoneyKinds], long long at, const Json::Value& answer);
    /// Writes (or rewrites) one of the server's own players, with its look.
    bool putBot(const Player& bot, const Json::Value& looks);

    /// Forgets what was read, so the next look reads the file (the tests' control, after they
    /// wrote to it behind the world's back).
    void forgetRead() { forgetAll(); }

    /// The current schema. A file of an older one (2: passwords in the clear, names taken by
    /// exact bytes; 3: items without what the forge changes; 4: no shop ledger; 5: quests without
    /// their progress; 6: the nickname index computed by the game's own SQL function) is brought
    /// up to it, step by step in one transaction; a file of a newer one is left alone
    /// (isNewer()); a file of any other is not a world of this server.
    static constexpr int kSchemaVersion = 7;

private:
    friend class ZRKWorldInventory;
    friend class ZRKWorldProgress;
    friend class ZRKWorldViews;

    /// A document column as JSON; an object when it is not one (it was written by the world,
    /// but a file can be edited by hand).
    static Json::Value parseColumn(const std::string& text);
    static Json::Int64 big(long long v) { return static_cast<Json::Int64>(v); }
    /// The player as read since he last changed, to change along with the file; null when
    /// he is not known.
    Player* knownPlayer(const std::string& name);
    /// Replaces one of the player's documents (an object) in its column.
    bool writeDocument(const std::string& player, const char* column, const Json::Value& value);

    struct Parsed {
        std::string text[4];
        std::shared_ptr<const Json::Value> value[4];
    };
    void readAccounts();
    void refreshGameData(const std::string& fixtures);
    bool keepGameDataPrint(const std::string& print);
    void forget(const std::string& player);
    void forgetAll();

    ZRKDatabase mDb;
    std::map<std::string, Parsed> mParsed;         ///< each player's documents as last read
    std::map<std::string, long long> mAccountOf;   ///< player -> the first account that plays it
    std::map<std::string, Json::Value> mDocuments; ///< documents as read
    std::map<std::string, Player> mPlayers;        ///< players as read since they last changed
    std::unique_ptr<ZRKWorldFile> mFile;
    std::unique_ptr<ZRKWorldViews> mViews;
    std::unique_ptr<ZRKWorldInventory> mInventory;
    std::unique_ptr<ZRKWorldProgress> mProgress;

    bool mReady = false;
    bool mNewer = false;
};

} // namespace zrk
} // namespace kavri3D
