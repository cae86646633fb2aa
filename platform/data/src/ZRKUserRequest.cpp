#include "data/ZRKUserRequest.h"
#include "data/ZRKSession.h"

#include "data/ZRKBagLayout.h"
#include "data/ZRKRequestBroker.h"
#include "data/ZRKGameData.h"
#include "data/ZRKJson.h"

#include <random>

namespace kavri3D {
namespace zrk {

long ZRKUserRequest::queryUserInfo0(const std::string& product, ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKUserRequest", "queryUserInfo0", done, product);
}
long ZRKUserRequest::queryUserInfo(const std::string& uid, bool full, bool refresh, ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKUserRequest", "queryUserInfo", done, uid, full, refresh);
}
long ZRKUserRequest::queryUserInfo(const std::string& uid, bool full, ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKUserRequest", "queryUserInfo", done, uid, full);
}
long ZRKUserRequest::queryUserDefState(const std::string& uid, ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKUserRequest", "queryUserDefState", done, uid);
}
long ZRKUserRequest::queryUserDefState(const std::string& uid, bool refresh, ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKUserRequest", "queryUserDefState", done, uid, refresh);
}
long ZRKUserRequest::queryUserInventory(int role, ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKUserRequest", "queryUserInventory", done, role);
}
long ZRKUserRequest::queryUserInventory(int role, bool refresh, ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKUserRequest", "queryUserInventory", done, role, refresh);
}
long ZRKUserRequest::queryUserInventory(const std::string& uid, int pcId, bool refresh, ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKUserRequest", "queryUserInventory", done, uid, pcId, refresh);
}
ZRKInventory* ZRKUserRequest::getInventory1() { return ZRKGameData::part(&ZRKGameData::inventory1); }
long ZRKUserRequest::queryUserByNick(const std::string& nick, ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKUserRequest", "queryUserByNick", done, nick);
}
long ZRKUserRequest::queryPcStats(ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKUserRequest", "queryPcStats", done);
}
long ZRKUserRequest::queryUseFunItem(const ZRKParams& params, ZRKReply done)
{
    return ZRKRequestBroker::post("ZRKUserRequest", "queryUseFunItem", params, done);
}
core::XmlConfigHelper ZRKUserRequest::getUseFunItemInfo() { return ZRKGameData::liveView("useFunItem"); }
long ZRKUserRequest::queryBagOpenBox(const std::string& text, ZRKReply done)
{
    return ZRKRequestBroker::post("ZRKUserRequest", "queryBagOpenBox", text, done);
}
core::XmlConfigHelper ZRKUserRequest::getBagOpenBoxInfo() { return ZRKGameData::liveView("bagOpenBox"); }
long ZRKUserRequest::queryBagUnlockRank(const std::string& text, ZRKReply done)
{
    return ZRKRequestBroker::post("ZRKUserRequest", "queryBagUnlockRank", text, done);
}
core::XmlConfigHelper ZRKUserRequest::getBagUnlockRankInfo() { return ZRKGameData::liveView("bagUnlockRank"); }
std::string ZRKUserRequest::getRankName(int rank)
{
    ZRKGameData* data = ZRKGameData::getSingletonPtr();
    const Json::Value& master = data ? data->viewJson("master") : Json::Value::nullSingleton();
    const Json::Value& names = master.isObject() ? master["ranks"] : Json::Value::nullSingleton();
    if (rank >= 0 && names.isArray() && static_cast<Json::ArrayIndex>(rank) < names.size() &&
        names[static_cast<Json::ArrayIndex>(rank)].isString())
        return names[static_cast<Json::ArrayIndex>(rank)].asString();
    return "Rank " + std::to_string(rank);
}
long ZRKUserRequest::bagRange(const std::string& text, ZRKReply done)
{
    return ZRKRequestBroker::post("ZRKUserRequest", "bagRange", text, done);
}
long ZRKUserRequest::bagDrop(const std::string& text, ZRKReply done)
{
    return ZRKRequestBroker::post("ZRKUserRequest", "bagDrop", text, done);
}
long ZRKUserRequest::addStatsPoint(const ZRKParams& params, ZRKReply done)
{
    return ZRKRequestBroker::post("ZRKUserRequest", "addStatsPoint", params, done);
}
long ZRKUserRequest::changeSlot(const core::XmlConfigHelper& params, ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKUserRequest", "changeSlot", done, params);
}
long ZRKUserRequest::queryUserCreateChar(const std::string& sex, const std::string& nickname, ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKUserRequest", "queryUserCreateChar", done, sex, nickname);
}
long ZRKUserRequest::regDefState(const core::XmlConfigHelper& params, ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKUserRequest", "regDefState", done, params);
}
core::XmlConfigHelper ZRKUserRequest::getUserInfo(const std::string& uid)
{
    return ZRKGameData::liveView("userInfo/" + uid);
}
core::XmlConfigHelper ZRKUserRequest::getUserSetting(const std::string& uid)
{
    return ZRKGameData::liveView("userSetting/" + uid);
}
std::list<core::XmlConfigHelper> ZRKUserRequest::getUserSettings()
{
    std::list<core::XmlConfigHelper> out;
    ZRKGameData* data = ZRKGameData::getSingletonPtr();
    const Json::Value& list = data ? data->viewJson("userSettings") : Json::Value::nullSingleton();
    if (list.isArray())
        for (const Json::Value& character : list)
            if (character.isObject())
                out.push_back(ZRKJson::toView(character));
    return out;
}
core::XmlConfigHelper ZRKUserRequest::getPc_id() { return ZRKGameData::liveView("pc"); }
int ZRKUserRequest::getCa_id()
{
    ZRKGameData* data = ZRKGameData::getSingletonPtr();
    return data ? data->getCaId() : 1;
}
void ZRKUserRequest::setCa_id(int bag)
{
    if (ZRKGameData* data = ZRKGameData::getSingletonPtr())
        data->setCaId(bag);
}
core::XmlConfigHelper ZRKUserRequest::getUserDefState() { return ZRKGameData::liveView("defState"); }
core::XmlConfigHelper ZRKUserRequest::getUserDefState(const std::string& uid)
{
    return ZRKGameData::liveView("defState/" + uid);
}
ZRKDataLib* ZRKUserRequest::getBBRSlotLib() { return ZRKGameData::part(&ZRKGameData::bbrSlotLib); }
void ZRKUserRequest::getBBRSlots(std::vector<int>& out, int pcId, int level)
{
    const ZRKDataLib* lib = getBBRSlotLib();
    const Json::Value& sets = lib ? lib->records() : Json::Value::nullSingleton();
    if (!sets.isArray() || sets.empty())
        return;
    const Json::ArrayIndex which =
        static_cast<Json::ArrayIndex>((pcId < 0 ? -(pcId + 1) : pcId) % static_cast<int>(sets.size()));
    const Json::Value& bands = sets[which];
    const Json::Value* best = nullptr;
    int bestLevel = -1;
    if (bands.isArray())
        for (const Json::Value& band : bands) {
            const int from = ZRKJson::getInt(band, "pc_lv", -1);
            if (from >= 0 && from <= level && from > bestLevel && ZRKJson::member(band, "slots").isArray()) {
                best = &band["slots"];
                bestLevel = from;
            }
        }
    if (!best)
        return;
    const Json::Value& slots = *best;
    for (Json::ArrayIndex i = 0; i + 2 < slots.size() && i < 3 * kMaxBBRSlots; i += 3)
        if (slots[i].isInt() && slots[i + 1].isInt() && slots[i + 2].isInt())
            for (Json::ArrayIndex k = 0; k < 3; ++k)
                out.push_back(slots[i + k].asInt());
}
namespace {
/// A purchase id no other purchase of this run or an earlier one shares.
std::string newPurchaseId()
{
    static const unsigned long long run = [] {
        std::random_device device;
        return (static_cast<unsigned long long>(device()) << 32) ^ device();
    }();
    static unsigned long long count = 0;
    return std::to_string(run) + "-" + std::to_string(++count);
}
long purchase(const char* op, const std::string& text, const std::string& id, ZRKReply done,
              Json::Value args = Json::Value(Json::objectValue))
{
    args["lines"] = ZRKParams::readText(text);
    args["purchase"] = id;
    return ZRKRequestBroker::post("ZRKUserRequest", op, ZRKParams::exact(text, args), done);
}
} // namespace

long ZRKUserRequest::shopCheckout(const std::string& text, ZRKReply done)
{
    return purchase("shopCheckout", text, newPurchaseId(), done);
}
long ZRKUserRequest::shopRenewval(const std::string& text, ZRKReply done)
{
    return purchase("shopRenewval", text, newPurchaseId(), done);
}
long ZRKUserRequest::shopCheckout(const std::string& text, const std::string& id, ZRKReply done)
{
    return purchase("shopCheckout", text, id, done);
}
long ZRKUserRequest::shopRenewval(const std::string& text, const std::string& id, ZRKReply done)
{
    return purchase("shopRenewval", text, id, done);
}
long ZRKUserRequest::shopPropsCheckout(const std::string& text, ZRKReply done)
{
    return purchase("shopPropsCheckout", text, newPurchaseId(), done);
}
long ZRKUserRequest::guildshoppay(const std::string& text, ZRKReply done)
{
    return purchase("guildshoppay", text, newPurchaseId(), done);
}
long ZRKUserRequest::arenashoppay(const std::string& text, ZRKReply done)
{
    return purchase("arenashoppay", text, newPurchaseId(), done);
}
long ZRKUserRequest::giftCheckout(int receiver, std::string message, int money, const std::string& text, ZRKReply done)
{
    Json::Value args(Json::objectValue);
    args["receiver"] = receiver;
    args["message"] = std::move(message);
    args["money"] = money;
    return purchase("giftCheckout", text, newPurchaseId(), done, args);
}
std::list<core::XmlConfigHelper> ZRKUserRequest::getBuyedProduct()
{
    std::list<core::XmlConfigHelper> out;
    ZRKGameData* data = ZRKGameData::getSingletonPtr();
    const Json::Value& bought = data ? data->viewJson("buyed") : Json::Value::nullSingleton();
    if (bought.isArray())
        for (const Json::Value& item : bought)
            if (item.isObject() && out.size() < kMaxBought)
                out.push_back(ZRKJson::toView(item));
    return out;
}
ZRKDataLib* ZRKUserRequest::getStatsLib() { return ZRKGameData::part(&ZRKGameData::statsLib); }
ZRKInventory* ZRKUserRequest::getInventory() { return ZRKGameData::part(&ZRKGameData::inventory); }
int ZRKUserRequest::getBagItems(const ZRKInventory* inventory, std::list<core::XmlConfigHelper>& out, int bag, bool)
{
    if (!inventory)
        return 0;
    if (bag != ZRKBagLayout::Props)
        return inventory->bagItems(bag, out);
    // The props bag shows every slot, so the room's strip can mark the empty ones.
    std::list<core::XmlConfigHelper> items;
    inventory->bagItems(bag, items);
    std::list<core::XmlConfigHelper> slots;
    for (int slot = ZRKBagLayout::kPropsFirst; slot <= ZRKBagLayout::kPropsLast; ++slot) {
        bool taken = false;
        for (const core::XmlConfigHelper& item : items)
            taken = taken || item.getIntVal("pci_slot", 0) == slot;
        if (taken)
            continue;
        core::XmlConfigHelper empty;
        empty.setIntVal("bag", bag);
        empty.setIntVal("pci_slot", slot);
        empty.setIntVal("i_id", 0);
        empty.setIntVal("pci_num", 0);
        slots.push_back(empty);
    }
    items.splice(items.end(), slots);
    items.sort([](const core::XmlConfigHelper& a, const core::XmlConfigHelper& b) {
        return a.getIntVal("pci_slot", 0) < b.getIntVal("pci_slot", 0);
    });
    const int count = static_cast<int>(items.size());
    out.splice(out.end(), items);
    return count;
}
int ZRKUserRequest::getBagItems(const ZRKInventory* inventory, int bag, std::list<core::XmlConfigHelper>& out)
{
    return getBagItems(inventory, out, bag, false);
}
int ZRKUserRequest::getBagItems(const ZRKInventory* inventory, std::list<core::XmlConfigHelper>& out)
{
    return inventory ? inventory->allSlots(out) : 0;
}
void ZRKUserRequest::getDirtySlots(std::vector<int>& out, bool forget)
{
    if (ZRKInventory* inventory = getInventory())
        inventory->dirtySlots(out, forget);
}
long ZRKUserRequest::getInventoryTime()
{
    const ZRKInventory* inventory = getInventory();
    return inventory ? inventory->time() : 0;
}

long ZRKUserRequest::transMoney(ZRKReply done) { return ZRKRequestBroker::call("ZRKUserRequest", "transMoney", done); }
long ZRKUserRequest::transItem(ZRKReply done) { return ZRKRequestBroker::call("ZRKUserRequest", "transItem", done); }
core::AvatarManager* ZRKUserRequest::getAvatarManager() { return ZRKGameData::part(&ZRKGameData::avatars); }
core::AvatarPtr ZRKUserRequest::getAvatar()
{
    core::AvatarManager* avatars = getAvatarManager();
    ZRKSession* session = ZRKSession::getSingletonPtr();
    return avatars && session && !session->getUID().empty() ? avatars->findAvatar(session->getUID())
                                                            : core::AvatarPtr();
}

namespace {
IEquipmentManager* gEquipmentMgr = nullptr;
}

void ZRKUserRequest::setEquipmentMgr(IEquipmentManager* manager) { gEquipmentMgr = manager; }

IEquipmentManager* ZRKUserRequest::getEquipmentMgr() { return gEquipmentMgr; }

} // namespace zrk
} // namespace kavri3D
