#include "events/CreateCharLoadingEvent.h"

#include <yake/Math.h>

#include "events/CharCatalogue.h"
#include "rooms/RoleManager.h"

namespace kavri3D {
namespace zrk {

namespace {
/// A whole number in [0, n) from the game's random source.
int draw(int n)
{
    const int i = static_cast<int>(yake::math::Math::UnitRandom() * static_cast<float>(n));
    return i < 0 ? 0 : i >= n ? n - 1 : i;
}
} // namespace

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
    addBool("isboy", isboy);
    return paramList();
}

void CreateCharLoadingEvent::callback(gui::ParamHandle)
{
    isboy = draw(2) == 0;
    const std::string look = isboy ? "boy" : "girl";
    for (int part = 0; part < 5; ++part)
        mCount[part] = CharCatalogue::count(look, CharCatalogue::kParts[part]);
    for (int part = 0; part < 8; ++part)
        if (mCount[part] != 0)
            mIndex[part] = draw(mCount[part]);
    if (ZRKRolePtr role = RoleManager::instance().getRole("createchar"))
        CharCatalogue::dress(*role, look, mIndex, false, true);
    raiseEvent(getEventId());
}

} // namespace zrk
} // namespace kavri3D
