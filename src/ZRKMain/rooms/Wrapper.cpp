#include "rooms/Wrapper.h"

#include "rooms/EquipRes.h"
#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

gui::BagData Wrapper::getItemRecord(int itemId)
{
    gui::BagData record;
    record.i_id = itemId;
    if (EquipRes* res = GameServices::equipment())
        res->fillItemRecord(itemId, record);
    return record;
}

} // namespace zrk
} // namespace kavri3D
