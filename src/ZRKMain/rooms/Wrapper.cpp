#include "rooms/Wrapper.h"

#include "rooms/EquipRes.h"

namespace kavri3D {
namespace zrk {

gui::BagData Wrapper::getItemRecord(int itemId)
{
    gui::BagData record;
    record.i_id = itemId;
    if (EquipRes* res = EquipRes::getSingletonPtr())
        res->fillItemRecord(itemId, record);
    return record;
}

} // namespace zrk
} // namespace kavri3D
