#include "events/HallPlayerAttrLoadingEvent.h"

#include "rooms/EquipRes.h"
#include "rooms/RoleManager.h"
#include "rooms/ZRKRole.h"
#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

HallPlayerAttrLoadingEvent::HallPlayerAttrLoadingEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher, int id)
    : BaseEvent(page, dispatcher, id)
{
}

void HallPlayerAttrLoadingEvent::callback(gui::ParamHandle)
{
    ZRKRolePtr own = RoleManager::instance().getRole("myrole");
    EquipRes* res = GameServices::equipment();
    if (!own)
        return;
    const core::XmlConfigHelper state = res ? res->getDefState() : core::XmlConfigHelper();
    std::vector<std::string> items;
    for (const char* key : {"def_hair", "def_face", "def_coat", "def_glove", "def_shoes"})
        items.push_back(state.getStringVal(key, ""));
    own->setDefaultItems(items);
    if (res)
        own->setEquipment(res->getModelTable());
    own->loadEquipment();
    own->setMood(state.getStringVal("def_animation", ""));
    raiseEvent(givenId());
}

} // namespace zrk
} // namespace kavri3D
