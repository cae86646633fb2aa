#include "callbacks/BusinessLoadCallbackEvent.h"

#include <data/ShopItemData.h>
#include <data/ZRKServer.h>
#include <algorithm>
#include <scene/BasicPlayer.h>
#include <data/ZRKServerRequest.h>
#include <data/ZRKSession.h>
#include <data/ZRKUserRequest.h>

#include "callbacks/ShopRecords.h"
#include "events/CharCatalogue.h"
#include "rooms/RoleManager.h"
#include "rooms/ZRKRole.h"
#include "rooms/ZRKRoleRes.h"
#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

namespace {

// Strengthening goods are item class 4.
const int kStrengtheningClass = 4;

std::string ownUid()
{
    ZRKSession* session = GameServices::session();
    return session ? session->getUID() : std::string();
}

} // namespace

BusinessLoadCallbackEvent::BusinessLoadCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

BusinessLoadCallbackEvent::~BusinessLoadCallbackEvent() = default;

std::vector<gui::ShopData> BusinessLoadCallbackEvent::shopList(List list)
{
    std::vector<gui::ShopData> out;
    ZRKServer* server = getZRKServer();
    if (!server)
        return out;
    for (const ShopItemData& entry : server->getShop()) {
        if (entry.getSettings().getIntVal("si_sale_type", 0) != 0)
            continue;
        gui::ShopData record;
        ShopRecords::addEntry(record, entry);
        if (list == List::General) {
            if (entry.getPrices().empty())
                continue;
            record.ca_id = record.item.ca_id;
        } else if (record.item.ic_id != kStrengtheningClass) {
            continue;
        }
        out.push_back(record);
    }
    return out;
}

gui::ParamList* BusinessLoadCallbackEvent::fillParams()
{
    clearParams();
    addNode("shoplist", shopList(List::General), 0, 0);
    return paramList();
}

void BusinessLoadCallbackEvent::callback(gui::ParamHandle)
{
    mRequests.track(ZRKUserRequest::queryUserDefState(
        ownUid(), false, mRequests.guard([this](bool error, const std::string& text) { onDefState(error, text); })));
    mRequests.track(ZRKServerRequest::queryShop(
        mRequests.guard([this](bool error, const std::string& text) { onReply(error, text); }), false));
}

void BusinessLoadCallbackEvent::onReply(bool error, const std::string&)
{
    if (!error)
        raiseEvent(getEventId());
}

void BusinessLoadCallbackEvent::onDefState(bool error, const std::string&)
{
    if (error)
        return;
    const std::string uid = ownUid();
    const core::XmlConfigHelper def = ZRKUserRequest::getUserDefState(uid);
    const core::XmlConfigHelper setting = ZRKUserRequest::getUserSetting(uid);
    ZRKRolePtr role = RoleManager::instance().getRole("showview");
    if (!role)
        return;
    const std::string look = ZRKRoleRes::lookOf(setting.getIntVal("c_id", 0));
    static const char* const kKeys[5] = {"def_hair", "def_face", "def_coat", "def_glove", "def_shoes"};
    std::vector<std::string> items;
    for (int part = 0; part < 5; ++part)
        items.push_back(CharCatalogue::entry(look, CharCatalogue::kParts[part], def.getIntVal(kKeys[part], 0)));
    role->setDefaultItems(items);

    role->clearItems();
    const int actions = std::min(4, CharCatalogue::count(look, "animation"));
    for (int i = 1; i < actions; ++i)
        role->addItem(CharCatalogue::entry(look, "animation", i));
    role->setMood(CharCatalogue::entry(look, "animation", 0));

    // Only the default look: nothing tried on in the shop is worn by the preview.
    if (boost::shared_ptr<core::BasicPlayer> player = role->getPlayer())
        player->loadItems(role->buildDefaultEquipment(), true);
    role->resetMood();
}

} // namespace zrk
} // namespace kavri3D
