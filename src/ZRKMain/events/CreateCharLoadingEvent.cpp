#include "events/CreateCharLoadingEvent.h"

#include "events/CharCatalogue.h"
#include "rooms/RoleManager.h"
#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

CreateCharLoadingEvent::CreateCharLoadingEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

gui::ParamList* CreateCharLoadingEvent::fillParams()
{
    clearParams();
    for (int part = 0; part < 5; ++part) {
        const std::string name = CharCatalogue::kParts[part];
        addInt(name, mIndex[part]);
        addInt(name + "_max", mCount[part]);
    }
    addBool("isboy", mIsboy);
    return paramList();
}

void CreateCharLoadingEvent::callback(gui::ParamHandle)
{
    mIsboy = GameServices::randomBelow(2) == 0;
    const std::string look = mIsboy ? "boy" : "girl";
    for (int part = 0; part < 5; ++part)
        mCount[part] = CharCatalogue::count(look, CharCatalogue::kParts[part]);
    for (int part = 0; part < 8; ++part)
        if (mCount[part] != 0)
            mIndex[part] = GameServices::randomBelow(mCount[part]);
    if (ZRKRolePtr role = RoleManager::instance().getRole("createchar"))
        CharCatalogue::dress(*role, look, mIndex, false, true);
    raiseEvent(getEventId());
}

} // namespace zrk
} // namespace kavri3D
