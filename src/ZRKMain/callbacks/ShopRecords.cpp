#include "callbacks/ShopRecords.h"

#include <data/ShopItemData.h>
#include <data/ZRKUserRequest.h>

#include "events/PackageLoadingEvent.h"
#include "rooms/EquipRes.h"
#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

void ShopRecords::addEntry(gui::ShopData& record, const ShopItemData& entry)
{
    const core::XmlConfigHelper& s = entry.getSettings();
    record.s_id = s.getIntVal("s_id", 0);
    record.i_id = s.getIntVal("i_id", 0);
    record.si_rcmd = s.getIntVal("si_rcmd", 0);
    record.si_new = s.getIntVal("si_new", 0);
    record.si_sales_count = s.getIntVal("si_sales_count", 0);
    record.chosen = 0;
    if (EquipRes* res = GameServices::equipment())
        res->fillItemRecord(record.i_id, record.item);
    record.ic_id = record.item.ic_id;
    record.isc_id = record.item.isc_id;
    record.i_name = record.item.i_name;
    for (const core::XmlConfigHelper& p : entry.getPrices()) {
        gui::ShopPrice price;
        price.s_id = p.getIntVal("s_id", 0);
        price.s_price = p.getIntVal("s_price", 0);
        price.s_buy_type = p.getIntVal("s_buy_type", 0);
        price.s_expire = p.getIntVal("s_expire", 0);
        record.prices.push_back(price);
    }
}

std::vector<gui::BagData> ShopRecords::buyedList()
{
    std::vector<gui::BagData> out;
    const long inventoryTime = ZRKUserRequest::getInventoryTime();
    for (const core::XmlConfigHelper& item : ZRKUserRequest::getBuyedProduct())
        out.push_back(PackageLoadingEvent::bagRecord(item, inventoryTime));
    return out;
}

} // namespace zrk
} // namespace kavri3D
