#pragma once
#include <string>
#include <list>
#include <core/AvatarManager.h>
#include <vector>
#include <util/XmlConfigHelper.h>
#include "data/IEquipmentManager.h"
#include "data/ZRKDataLib.h"
#include "data/ZRKInventory.h"
#include "data/ZRKParams.h"
#include "data/ZRKRequestInfo.h"

namespace kavri3D {
namespace core {
class AvatarManager;
}
namespace zrk {

/// Requests about the player: information, settings, default look, inventory, stats and items.
/// Each request completes later, from the frame update, with (error, text).
class ZRKUserRequest {
public:
    /// At most this many level slots are handed out.
    static const unsigned kMaxBBRSlots = 16;
    /// At most this many bought items are listed (100 lines of up to 99 pieces one a slot fill
    /// the bag long before).
    static const unsigned kMaxBought = 200;

    static long queryUserInfo0(const std::string& product, ZRKReply done);
    static long queryUserInfo(const std::string& uid, bool full, bool refresh, ZRKReply done);
    static long queryUserInfo(const std::string& uid, bool full, ZRKReply done);
    static long queryUserDefState(const std::string& uid, ZRKReply done);
    static long queryUserDefState(const std::string& uid, bool refresh, ZRKReply done);
    static long queryUserInventory(int role, ZRKReply done);
    static long queryUserInventory(int role, bool refresh, ZRKReply done);
    /// Another player's bag (user id and player id): it fills getInventory1, never the own bag.
    static long queryUserInventory(const std::string& uid, int pcId, bool refresh, ZRKReply done);
    /// The bag of the last look at another player's (empty before one).
    static ZRKInventory* getInventory1();
    /// Looks a player up by nickname (letter case aside); the reply's data holds "uid", the
    /// player's user id.
    static long queryUserByNick(const std::string& nick, ZRKReply done);
    static long queryPcStats(ZRKReply done);
    static long queryUseFunItem(const ZRKParams& params, ZRKReply done);
    /// The view of the last use of a function item: "ERR", "MSG".
    static core::XmlConfigHelper getUseFunItemInfo();
    /// Opens the box item of a bag slot ("[slot]"); the reply's data holds what came out
    /// ("open_box", an "Item" per award) and the view "ERR", "MSG".
    static long queryBagOpenBox(const std::string& text, ZRKReply done);
    static core::XmlConfigHelper getBagOpenBoxInfo();
    /// Uses the rank card of a bag slot ("[slot]") for its price.
    static long queryBagUnlockRank(const std::string& text, ZRKReply done);
    static core::XmlConfigHelper getBagUnlockRankInfo();
    /// The name of a rank number ("Rank N" for one the game data does not name).
    static std::string getRankName(int rank);
    /// Sorts the bag.
    static long bagRange(const std::string& text, ZRKReply done);
    /// Recycles the items of a list of bag slots ("[61,62]").
    static long bagDrop(const std::string& text, ZRKReply done);
    /// Spends free stat points: {dex:..,luk:..,str:..,vit:..}; the server decides.
    static long addStatsPoint(const ZRKParams& params, ZRKReply done);
    /// Moves an item: "slot_from", "slot_to" and, for more moves at once, "slot_batch".
    static long changeSlot(const core::XmlConfigHelper& params, ZRKReply done);
    /// Creates the logged-in account's character: sex "1" (boy) or "2" (girl) and its nickname.
    static long queryUserCreateChar(const std::string& sex, const std::string& nickname, ZRKReply done);
    /// Keeps the own character's default look: "pc_id" and the indexes "def_hair" to "def_shoes".
    static long regDefState(const core::XmlConfigHelper& params, ZRKReply done);
    /// Buys a cart: the text is the purchase as the shop writes it ([{s_expire:..,s_id:..,s_num:..}]);
    /// the request adds a purchase id of its own to its arguments (never to the text), so a
    /// purchase the server answered once is never paid twice. The reply holds "buyed".
    static long shopCheckout(const std::string& text, ZRKReply done);
    /// Renews a timed item: [{pci_slot:..,s_expire:..,s_id:..,s_num:..}], with a purchase id as above.
    static long shopRenewval(const std::string& text, ZRKReply done);
    /// The same with the purchase id given (a retry, the tests' control).
    static long shopCheckout(const std::string& text, const std::string& purchaseId, ZRKReply done);
    static long shopRenewval(const std::string& text, const std::string& purchaseId, ZRKReply done);
    /// Buys props for the battle (the props shop's cart, one piece a line), as a cart above.
    static long shopPropsCheckout(const std::string& text, ZRKReply done);
    /// Buys one item of the guild shop (paid in medals, the guild credits the buyer) or of the
    /// arena shop (paid in arena points): a list of one line, with a purchase id as above.
    static long guildshoppay(const std::string& text, ZRKReply done);
    static long arenashoppay(const std::string& text, ZRKReply done);
    /// Buys the medal lines of a cart as a gift for another character (its "pc_id"), with a
    /// message kept beside the gift; `money` is the medal total the player was shown, and a
    /// higher price is refused.
    static long giftCheckout(int receiver, std::string message, int money, const std::string& text, ZRKReply done);
    /// What the last purchase delivered, one record per item ("i_id", "pci_slot", "pci_num",
    /// "pci_buy_time", "pci_expiry_day"...), in delivery order.
    static std::list<core::XmlConfigHelper> getBuyedProduct();
    /// Money and items waiting for the player elsewhere are moved into the bag.
    static long transMoney(ZRKReply done);
    static long transItem(ZRKReply done);
    /// The players whose information the client has; null without game data.
    static core::AvatarManager* getAvatarManager();
    /// The own player's avatar (its card as the server hands it out: "ca_id2" the ammo bag of a
    /// private dungeon); empty until the client asked for the own information.
    static core::AvatarPtr getAvatar();
    /// The information of a player ("pc_id" is 0 while the account has no character).
    static core::XmlConfigHelper getUserInfo(const std::string& uid);
    /// The settings of a player ("pc_newbie_task", "c_id").
    static core::XmlConfigHelper getUserSetting(const std::string& uid);
    /// The settings of each character of the own account, own first.
    static std::list<core::XmlConfigHelper> getUserSettings();
    /// Announces avatar updates (flag 2: level or rank changed) on the frame thread; null
    /// The own character ("pc_id", "pc_lv", "pc_rank", "pc_newbie_task"...).
    static core::XmlConfigHelper getPc_id();
    /// The ammo bag the player fights with (1 to 3); 1 until set.
    static int getCa_id();
    static void setCa_id(int bag);
    /// The default look of the last default-look reply.
    static core::XmlConfigHelper getUserDefState();
    /// The default look of a player as the last reply about that player told it; empty before.
    static core::XmlConfigHelper getUserDefState(const std::string& uid);
    /// The level slots of a player without an account ("lib/bbrSlots": sets of bands
    /// {"pc_lv", "slots"}; the player id picks the set, the band is the highest at or below the
    /// level): appends whole triples (slot kind, item id, a third value).
    static void getBBRSlots(std::vector<int>& out, int pcId, int level);
    static ZRKDataLib* getBBRSlotLib();
    static ZRKDataLib* getStatsLib();
    static ZRKInventory* getInventory();
    /// Appends the items of one bag; returns how many (0 without an inventory). The props bag
    /// (5) gives each of its slots 51 to 60, empty ones with "i_id" 0.
    static int getBagItems(const ZRKInventory* inventory, std::list<core::XmlConfigHelper>& out, int bag, bool refresh);
    static int getBagItems(const ZRKInventory* inventory, int bag, std::list<core::XmlConfigHelper>& out);
    /// Appends one record per worn and bag slot, in slot order, empty ones with "i_id" 0 (never
    /// the temporary bag); returns how many.
    static int getBagItems(const ZRKInventory* inventory, std::list<core::XmlConfigHelper>& out);
    /// The slots the last inventory change touched; `forget` empties the list once read.
    static void getDirtySlots(std::vector<int>& out, bool forget);
    /// The time stamp of the inventory held (0 without one).
    static long getInventoryTime();

    /// The client's equipment resources, kept for the library to ask about items (null
    /// forgets them; the client does so before they go).
    static void setEquipmentMgr(IEquipmentManager* manager);
    static IEquipmentManager* getEquipmentMgr();
};

} // namespace zrk
} // namespace kavri3D
