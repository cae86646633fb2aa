#include "callbacks/ShopRecords.h"

#include <core/DateTime.h>
#include <data/ShopItemData.h>
#include <data/ZRKUserRequest.h>
#include <limits>

#include "rooms/EquipRes.h"
#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

namespace {
/// A time of the game's `long` clock in a record's 32-bit field, clamped.
std::int32_t clamped(long value)
{
    const long low = std::numeric_limits<std::int32_t>::min(), high = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value < low ? low : value > high ? high : value);
}
} // namespace

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
    EquipRes* res = GameServices::equipment();
    const std::int32_t inventoryTime = clamped(ZRKUserRequest::getInventoryTime());
    for (const core::XmlConfigHelper& v : ZRKUserRequest::getBuyedProduct()) {
        gui::BagData r;
        r.pci_slot = v.getIntVal("pci_slot", 0);
        r.i_id = v.getIntVal("i_id", 0);
        r.pc_id = v.getIntVal("pc_id", 0);
        r.pci_num = v.getIntVal("pci_num", 0);
        r.pci_lv = v.getIntVal("pci_lv", 0);
        r.pci_str = v.getIntVal("pci_str", 0);
        r.pci_luck = v.getIntVal("pci_luck", 0);
        r.pci_dex = v.getIntVal("pci_dex", 0);
        r.pci_vit = v.getIntVal("pci_vit", 0);
        r.pci_expiry_day = v.getIntVal("pci_expiry_day", 0);
        const std::string bought = v.getStringVal("pci_buy_time", "");
        r.pci_buy_time = bought.empty() ? -1 : clamped(core::parseDateTime(bought));
        r.inventory_time = inventoryTime;
        r.mix_times = v.getIntVal("mix_times", 0);
        r.mix_max = v.getIntVal("mix_max", 0);
        r.enh_f = v.getIntVal("enh_f", 0);
        r.attr_x = v.getStringVal("attr_x", "");
        if (res)
            res->fillItemRecord(r.i_id, r);
        out.push_back(r);
    }
    return out;
}

} // namespace zrk
} // namespace kavri3D
