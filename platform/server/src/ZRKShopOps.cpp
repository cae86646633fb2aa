#include "server/ZRKShopOps.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <set>
#include <string>
#include <vector>

#include "data/ZRKBagLayout.h"
#include "data/ZRKBlueDrill.h"
#include "server/ZRKGuilds.h"
#include "server/ZRKItemStacks.h"
#include "server/ZRKServerCall.h"
#include "server/ZRKServerCore.h"
#include "server/ZRKServerOps.h"
#include "server/ZRKShop.h"
#include "server/ZRKWorld.h"
#include "server/ZRKWorldInventory.h"

namespace kavri3D {
namespace zrk {

namespace {

typedef ZRKWorld::Item Item;
const long long kDay = 86400;
const long long kMaxAmount = 0x7FFFFFFF; // a line or a total past 32 bits is no purchase of the shop
const unsigned kMaxPurchaseId = 64;

std::string dateText(long long seconds)
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts{};
    char text[32] = "";
    if (gmtime_r(&t, &parts))
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

long long parseDate(const std::string& text)
{
    std::tm parts{};
    if (text.size() != 19 || !strptime(text.c_str(), "%Y-%m-%d %H:%M:%S", &parts))
        return -1;
    return static_cast<long long>(timegm(&parts));
}

/// One line of a purchase or renewal as the client sent it, checked.
struct Line {
    const ZRKShop::Option* option = nullptr;
    int count = 0;
    int slot = 0; ///< renewal: the item's slot
    long long amount = 0;
};

/// The line's integer under a key; false when it is missing or no 32-bit whole number.
bool integer(const Json::Value& line, const char* key, int& out)
{
    const Json::Value& v = line[key];
    if (!v.isInt())
        return false;
    out = v.asInt();
    return true;
}

/// Reads the lines strictly: a list of at most 100 flat objects holding exactly the keys
/// "s_id", "s_expire", "s_num" (and "pci_slot" for a renewal), each an ordinary option of the
/// shop with that expiry, 1 to 99 pieces. False, with why, on the first fault.
bool readLines(ZRKServerCall& call, const Json::Value& lines, bool renewal, std::vector<Line>& out, std::string& why,
               int saleType = 0)
{
    if (!lines.isArray())
        return (why = "the lines are no list"), false;
    if (lines.size() > ZRKShopOps::kMaxLines)
        return (why = std::to_string(lines.size()) + " lines"), false;
    const ZRKShop& shop = call.server.shop();
    for (const Json::Value& line : lines) {
        const unsigned keys = renewal ? 4u : 3u;
        Line l;
        int sId = 0, expire = 0;
        if (!line.isObject() || line.size() != keys || !integer(line, "s_id", sId) ||
            !integer(line, "s_expire", expire) || !integer(line, "s_num", l.count) ||
            (renewal && !integer(line, "pci_slot", l.slot)))
            return (why = "a line is no flat object of whole numbers s_id, s_expire, s_num"), false;
        l.option = shop.find(sId, expire);
        // An option sells only through its own shop's request.
        if (!l.option || l.option->saleType != saleType || l.option->s_buy_type < 1 || l.option->s_buy_type > 3)
            return (why = "option " + std::to_string(sId) + " for " + std::to_string(expire) + " days is not sold"),
                   false;
        if (l.count < 1 || l.count > ZRKShopOps::kMaxCount)
            return (why = std::to_string(l.count) + " pieces"), false;
        l.amount = static_cast<long long>(l.option->s_price) * l.count;
        if (l.amount > kMaxAmount)
            return (why = "a line costs past 32 bits"), false;
        out.push_back(l);
    }
    return true;
}

/// What the lines cost the player, per money kind; false past 32 bits.
bool costOf(ZRKServerCall& call, const ZRKWorld::Player& player, const std::vector<Line>& lines,
            long long cost[ZRKWorld::MoneyKinds])
{
    const Json::Value& settings = ZRKWorld::Player::doc(player.settings);
    const Json::Value& drill = settings.isObject() ? settings["pc_blue_drill"] : Json::Value::nullSingleton();
    const bool member = drill.isIntegral() && ZRKBlueDrill::isMember(drill.asInt64());
    for (int k = 0; k < ZRKWorld::MoneyKinds; ++k)
        cost[k] = 0;
    for (const Line& l : lines) {
        long long& total = cost[l.option->s_buy_type - 1];
        total += call.server.shop().lineCost(l.option->s_buy_type, l.amount, member);
        if (total > kMaxAmount)
            return false;
    }
    return true;
}

/// Takes the money; false (with the refusal's key) when the player is short of one kind.
bool pay(ZRKServerCall& call, const ZRKWorld::Player& player, const long long cost[ZRKWorld::MoneyKinds])
{
    std::string refusal;
    for (int k = 0; k < ZRKWorld::MoneyKinds; ++k)
        if (cost[k] > player.money[k]) {
            call.refuse(k == 0   ? "warning/no_enough_zaobi"
                        : k == 1 ? "warning/no_enough_dianjuan"
                                 : "warning/no_enough_guabi",
                        "short of money kind " + std::to_string(k + 1));
            return false;
        }
    for (int k = 0; k < ZRKWorld::MoneyKinds; ++k)
        if (cost[k] > 0 &&
            !call.world().addMoney(call.player, static_cast<ZRKWorld::MoneyKind>(k), -cost[k], refusal)) {
            call.refuse(refusal, "the money could not be taken");
            return false;
        }
    return true;
}

/// The request's purchase id (the structured arguments' "purchase"): a text of 1 to 64 letters,
/// digits and dashes; empty when there is none such.
std::string purchaseId(const Json::Value& args)
{
    const Json::Value& id = args.isObject() ? args["purchase"] : Json::Value::nullSingleton();
    if (!id.isString() || id.asString().empty() || id.asString().size() > kMaxPurchaseId)
        return std::string();
    for (char c : id.asString())
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-')
            return std::string();
    return id.asString();
}

/// A purchase id answered before: the first answer again, nothing charged. True when it was.
bool answeredBefore(ZRKServerCall& call, const std::string& id)
{
    const Json::Value answer = call.world().purchaseAnswer(id, call.player);
    if (answer.isNull()) {
        if (call.world().purchaseKnown(id)) {
            call.refuse("error/srv_bad_request", "purchase " + id + " is another player's");
            return true;
        }
        return false;
    }
    call.views["buyed"] = answer;
    call.views["pc"] = call.world().playerView(call.player, ZRKWorld::PcView);
    call.views["inventory"] = call.world().inventoryView(call.player);
    return true;
}

/// The slots a line's pieces go to: props onto the props bag, on their own stack (same item,
/// same days) while it holds fewer than 99, then the first free props slots. An item without a
/// time limit that stacks joins the player's plain, unbound stacks of it in the bag proper up to
/// its stack size (each keeps its buy time), then fills the first free slots a stack at a time;
/// a timed item goes one piece a slot. False when they do not fit.
bool place(ZRKWorld& world, const ZRKWorld::Player& owner, std::vector<Item>& bag, const Line& line, long long now,
           std::vector<std::size_t>& changed)
{
    const long long id = line.option->i_id;
    const Json::Value& kind = world.subClassOf(id);
    const bool prop = kind.isObject() && kind["ic_name"].isString() && kind["ic_name"].asString() == "prop";
    std::set<int> taken;
    for (const Item& i : bag)
        taken.insert(i.slot);
    int left = line.count;
    auto fresh = [&](int slot, int count) {
        Item item;
        item.id = id;
        item.slot = slot;
        item.count = count;
        item.buyTime = dateText(now);
        item.expiryDay = line.option->s_expire;
        item.lid = 0;
        changed.push_back(bag.size());
        bag.push_back(item);
        taken.insert(slot);
    };
    if (prop) {
        for (std::size_t n = 0; n < bag.size(); ++n) {
            Item& i = bag[n];
            if (left > 0 && i.id == id && i.expiryDay == line.option->s_expire && i.slot >= 51 && i.slot <= 60 &&
                i.count < ZRKShopOps::kMaxCount) {
                const int add = static_cast<int>(std::min<long long>(left, ZRKShopOps::kMaxCount - i.count));
                i.count += add;
                left -= add;
                changed.push_back(n);
            }
        }
        for (int slot = 51; slot <= 60 && left > 0; ++slot)
            if (!taken.count(slot)) {
                const int add = std::min(left, ZRKShopOps::kMaxCount);
                fresh(slot, add);
                left -= add;
            }
        return left == 0;
    }
    const int last = ZRKBagLayout::kMainFirst + world.bagSlots(owner);
    const long long limit = line.option->s_expire == 0 ? ZRKItemStacks::limitOf(world, id) : 1;
    if (limit > 1)
        for (std::size_t n = 0; n < bag.size() && left > 0; ++n) {
            Item& i = bag[n];
            if (i.id != id || i.slot < ZRKBagLayout::kMainFirst || i.slot >= last || i.bind != 0 ||
                !ZRKItemStacks::stackable(i) || i.count >= limit)
                continue;
            const int add = static_cast<int>(std::min<long long>(left, limit - i.count));
            i.count += add;
            left -= add;
            changed.push_back(n);
        }
    for (int slot = ZRKBagLayout::kMainFirst; slot < last && left > 0; ++slot)
        if (!taken.count(slot)) {
            const int add = static_cast<int>(std::min<long long>(left, limit));
            fresh(slot, add);
            left -= add;
        }
    return left == 0;
}

/// An item as the bought list shows it.
Json::Value boughtView(ZRKWorld& world, const Item& i, const ZRKWorld::Player& owner)
{
    Json::Value v(Json::objectValue);
    v["attr_x"] = ZRKWorldInventory::holesText(i.attrX, world.itemAttrs(i.id));
    v["i_id"] = static_cast<Json::Int64>(i.id);
    v["pc_id"] = static_cast<Json::Int64>(owner.pcId);
    v["pci_slot"] = i.slot;
    v["pci_num"] = static_cast<Json::Int64>(i.count);
    v["pci_lv"] = i.lv;
    v["pci_buy_time"] = i.buyTime;
    v["pci_expiry_day"] = i.expiryDay;
    return v;
}

void keep(ZRKServerCall& call, const std::string& id, const char* kind, const long long cost[ZRKWorld::MoneyKinds],
          const Json::Value& bought)
{
    if (!call.world().recordPurchase(id, call.player, kind, cost, static_cast<long long>(call.server.wallTime()),
                                     bought))
        return call.refuse("error/unknow_wrong", "the ledger could not be written: " + call.world().db().lastError());
    call.views["buyed"] = bought;
    call.views["pc"] = call.world().playerView(call.player, ZRKWorld::PcView);
    call.views["inventory"] = call.world().inventoryView(call.player);
}

void queryShop(ZRKServerCall& call) { call.views["shop"] = call.server.shop().catalogue(); }

void queryShopItem(ZRKServerCall& call)
{
    Json::Value list(Json::arrayValue);
    for (const Json::Value& entry : call.server.shop().catalogue()) {
        Json::Value flat = entry;
        flat.removeMember("prices");
        list.append(flat);
    }
    call.views["shopItem"] = list;
}

/// How one of the shop's purchase requests sells: through which shop, what it takes, who pays
/// what and whose bag it fills.
struct Sale {
    const char* kind = ""; ///< the ledger's name of it
    int saleType = 0;      ///< "si_sale_type" of the options it sells
    bool props = false;    ///< props for the battle only (class 1, not sub-class 25)
    bool oneLine = false;
    enum Pay { Money, GuildMedals, ArenaPoints } pay = Money;
    bool gift = false; ///< medal lines only, into the bag of the receiver named in the arguments
};

const std::size_t kMaxGiftMessage = 200;

/// The characters of a UTF-8 text; past any limit (-1 as unsigned) when it is no valid UTF-8.
std::size_t utf8Characters(const std::string& text)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80                        ? 1
                                   : (c >> 5) == 0x6 && c >= 0xC2  ? 2
                                   : (c >> 4) == 0xE               ? 3
                                   : (c >> 3) == 0x1E && c <= 0xF4 ? 4
                                                                   : 0;
        if (length == 0 || i + length > text.size())
            return static_cast<std::size_t>(-1);
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return static_cast<std::size_t>(-1);
        i += length;
    }
    return count;
}

/// A whole-number setting of the player; 0 when it is missing or no whole number.
long long settingOf(const ZRKWorld::Player& player, const char* key)
{
    const Json::Value& settings = ZRKWorld::Player::doc(player.settings);
    const Json::Value& v = settings.isObject() ? settings[key] : Json::Value::nullSingleton();
    return v.isInt64() ? v.asInt64() : 0;
}

/// What the guild credits the buyer for a guild purchase: 100 for the class priced apart,
/// otherwise 15 in a hundred of the amount, truncated.
long long contributionFor(ZRKServerCall& call, const Line& line)
{
    const Json::Value& attrs = call.world().itemAttrs(line.option->i_id);
    if (attrs.isObject() && attrs["ic_id"].isIntegral() && attrs["ic_id"].asLargestInt() == 5)
        return 100;
    return static_cast<long long>(static_cast<double>(line.amount) * 0.15);
}

/// Props for the battle: class 1 but not sub-class 25.
bool isBattleProp(ZRKServerCall& call, long long itemId)
{
    const Json::Value& attrs = call.world().itemAttrs(itemId);
    return attrs.isObject() && attrs["ic_id"].isIntegral() && attrs["ic_id"].asLargestInt() == 1 &&
           !(attrs["isc_id"].isIntegral() && attrs["isc_id"].asLargestInt() == 25);
}

/// One purchase of any of the shops, in one transaction: read strictly, checked whole, paid,
/// delivered and kept in the ledger under the client's purchase id; a refusal changes nothing.
void buy(ZRKServerCall& call, const Sale& sale)
{
    const Json::Value& args = call.request.args;
    const std::string id = purchaseId(args);
    if (id.empty())
        return call.refuse("error/srv_bad_request", "a purchase without its id");
    if (answeredBefore(call, id))
        return;
    std::vector<Line> lines;
    std::string why;
    if (!readLines(call, args["lines"], false, lines, why, sale.saleType))
        return call.refuse("shop/bad_cart", why);
    if (sale.oneLine && lines.size() != 1)
        return call.refuse("shop/bad_cart", std::to_string(lines.size()) + " lines where one is sold at a time");
    for (const Line& l : lines) {
        if (sale.props && !isBattleProp(call, l.option->i_id))
            return call.refuse("shop/bad_cart",
                               "item " + std::to_string(l.option->i_id) + " is no prop for the battle");
        if (sale.gift && l.option->s_buy_type != 3)
            return call.refuse("shop/bad_cart", "a gift is bought with medals only");
    }
    const ZRKWorld::Player* owner = call.world().player(call.player);
    if (!owner)
        return call.refuse("error/srv_no_person", "the player " + call.player + " is not in the world");
    const ZRKWorld::Player buyer = *owner; // the world's copy changes as it pays
    long long cost[ZRKWorld::MoneyKinds] = {0, 0, 0};
    long long points = 0, contribution = 0;
    if (sale.pay == Sale::Money) {
        if (!costOf(call, buyer, lines, cost))
            return call.refuse("shop/bad_cart", "the cart costs past 32 bits");
    } else if (sale.pay == Sale::GuildMedals) {
        if (ZRKGuilds::guildOf(call.world(), buyer.name) == 0)
            return call.refuse("shop/no_guild", call.player + " is in no guild");
        cost[ZRKWorld::Medals] = lines.front().amount; // full price, whatever the option's money
        contribution = contributionFor(call, lines.front());
    } else {
        points = lines.front().amount;
        if (points > settingOf(buyer, "pc_arena_point"))
            return call.refuse("shop/no_arena_points", "short of arena points");
    }
    // The receiver of a gift: any character, the server's players too.
    std::string receiver = call.player;
    std::string message;
    if (sale.gift) {
        const Json::Value& to = args["receiver"];
        receiver = to.isInt64() ? call.world().playerOfCharacter(to.asInt64()) : std::string();
        if (receiver.empty())
            return call.refuse("shop/no_player", "no character " + to.toStyledString());
        const Json::Value& shown = args["money"];
        if (!shown.isInt64() || shown.asInt64() < 0 || cost[ZRKWorld::Medals] > shown.asInt64())
            return call.refuse("shop/price_changed", "the gift costs " + std::to_string(cost[ZRKWorld::Medals]) +
                                                         " medals, more than the total shown");
        const Json::Value& text = args["message"];
        if (!text.isString() || text.asString().size() > kMaxGiftMessage * 4 ||
            utf8Characters(text.asString()) > kMaxGiftMessage)
            return call.refuse("shop/bad_message", "a gift's message is text of up to 200 characters");
        message = text.asString();
    }
    const ZRKWorld::Player* target = call.world().player(receiver);
    if (!target)
        return call.refuse("shop/no_receiver", "the receiver " + receiver + " is not in the world");
    const ZRKWorld::Player holder = *target;
    std::vector<Item> bag = call.world().items(receiver);
    std::vector<std::size_t> changed; // places in `bag`, in the order they changed
    const long long now = static_cast<long long>(call.server.wallTime());
    for (const Line& l : lines)
        if (!place(call.world(), holder, bag, l, now, changed))
            return call.refuse("forge/bag_full", "no room for item " + std::to_string(l.option->i_id));
    if (!pay(call, buyer, cost))
        return;
    if (points > 0 || contribution > 0) {
        Json::Value settings = ZRKWorld::Player::doc(buyer.settings);
        if (!settings.isObject())
            settings = Json::Value(Json::objectValue);
        if (points > 0)
            settings["pc_arena_point"] = static_cast<Json::Int64>(settingOf(buyer, "pc_arena_point") - points);
        if (contribution > 0)
            settings["g_contribution"] = static_cast<Json::Int64>(settingOf(buyer, "g_contribution") + contribution);
        if (!call.world().setSettings(call.player, settings))
            return call.refuse("error/unknow_wrong", "the buyer's record could not be written");
    }
    Json::Value bought(Json::arrayValue);
    std::set<std::size_t> written;
    for (std::size_t n : changed) {
        if (!written.insert(n).second)
            continue;
        Item& i = bag[n];
        const bool ok = i.lid == 0 ? call.world().addItem(receiver, i) : call.world().writeItem(receiver, i);
        if (!ok)
            return call.refuse("error/unknow_wrong", "an item could not be put in the bag");
        Json::Value view = boughtView(call.world(), i, holder);
        if (sale.gift)
            view["gift_message"] = message;
        bought.append(view);
    }
    keep(call, id, sale.kind, cost, bought);
}

Sale sale(const char* kind, int saleType, bool props, bool oneLine, Sale::Pay pay, bool gift)
{
    Sale s;
    s.kind = kind;
    s.saleType = saleType;
    s.props = props;
    s.oneLine = oneLine;
    s.pay = pay;
    s.gift = gift;
    return s;
}

void shopCheckout(ZRKServerCall& call) { buy(call, sale("checkout", 0, false, false, Sale::Money, false)); }
void shopPropsCheckout(ZRKServerCall& call) { buy(call, sale("props", 0, true, false, Sale::Money, false)); }
void guildshoppay(ZRKServerCall& call) { buy(call, sale("guild", 1, false, true, Sale::GuildMedals, false)); }
void arenashoppay(ZRKServerCall& call) { buy(call, sale("arena", 2, false, true, Sale::ArenaPoints, false)); }
void giftCheckout(ZRKServerCall& call) { buy(call, sale("gift", 0, false, false, Sale::Money, true)); }

void shopRenewval(ZRKServerCall& call)
{
    const Json::Value& args = call.request.args;
    const std::string id = purchaseId(args);
    if (id.empty())
        return call.refuse("error/srv_bad_request", "a renewal without its id");
    if (answeredBefore(call, id))
        return;
    std::vector<Line> lines;
    std::string why;
    if (!readLines(call, args["lines"], true, lines, why) || lines.size() != 1)
        return call.refuse("shop/bad_cart", why.empty() ? "a renewal renews one item" : why);
    const Line& line = lines.front();
    const ZRKWorld::Player* owner = call.world().player(call.player);
    if (!owner)
        return call.refuse("error/srv_no_person", "the player " + call.player + " is not in the world");
    const ZRKWorld::Player buyer = *owner;
    Item item;
    bool found = false;
    for (const Item& i : call.world().items(call.player))
        if (i.slot == line.slot) {
            item = i;
            found = true;
        }
    if (!found || item.expiryDay <= 0 || item.id != line.option->i_id || line.option->s_expire <= 0 ||
        item.count != line.count)
        return call.refuse("shop/not_renewable", "slot " + std::to_string(line.slot) + " holds no such timed item");
    long long cost[ZRKWorld::MoneyKinds];
    if (!costOf(call, buyer, lines, cost))
        return call.refuse("shop/bad_cart", "the renewal costs past 32 bits");
    if (!pay(call, buyer, cost))
        return;
    // The new days count from the later of now and the item's end.
    const long long now = static_cast<long long>(call.server.wallTime());
    const long long bought = parseDate(item.buyTime);
    const long long end = bought < 0 ? now : bought + item.expiryDay * kDay;
    if (end > now && bought >= 0) {
        item.expiryDay += line.option->s_expire;
    } else {
        item.buyTime = dateText(now);
        item.expiryDay = line.option->s_expire;
    }
    if (!call.world().writeItem(call.player, item))
        return call.refuse("error/unknow_wrong", "the item could not be renewed");
    Json::Value renewed(Json::arrayValue);
    renewed.append(boughtView(call.world(), item, buyer));
    keep(call, id, "renewal", cost, renewed);
}

} // namespace

void ZRKShopOps::addTo(ZRKServerOps& ops)
{
    const unsigned reads = ZRKServerOps::NeedsPlayer;
    const unsigned changes = ZRKServerOps::NeedsPlayer | ZRKServerOps::Changes;
    ops.add("queryShop", &queryShop, reads);
    ops.add("queryShopItem", &queryShopItem, reads);
    ops.add("shopCheckout", &shopCheckout, changes);
    ops.add("shopRenewval", &shopRenewval, changes);
    ops.add("shopPropsCheckout", &shopPropsCheckout, changes);
    ops.add("guildshoppay", &guildshoppay, changes);
    ops.add("arenashoppay", &arenashoppay, changes);
    ops.add("giftCheckout", &giftCheckout, changes);
}

} // namespace zrk
} // namespace kavri3D
