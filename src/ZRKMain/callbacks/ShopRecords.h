#pragma once
#include <vector>
#include <gui/BagData.h>
#include <gui/ShopData.h>

namespace kavri3D {
namespace zrk {

class ShopItemData;

/// The shop's records as the screens get them, built one way for every shop list and purchase.
class ShopRecords {
public:
    /// Takes one catalogue entry into the record: its marks and ids, the item template and its
    /// name and classes, `chosen` 0, and its price options appended after those already there.
    static void addEntry(gui::ShopData& record, const ShopItemData& entry);
    /// What the last purchase delivered ("buyed"), one record per item in delivery order.
    static std::vector<gui::BagData> buyedList();
};

} // namespace zrk
} // namespace kavri3D
