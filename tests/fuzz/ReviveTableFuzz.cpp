// The paid revive's price table, a setting's text: revives allowed and (currency, cost) pairs.
#include <cstdint>
#include <string>
#include <json/json.h>

#include "FuzzSupport.h"
#include <util/ReviveTable.h>

using namespace kavri3D;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    Json::Value table;
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (!core::ReviveTable::read(text, table)) {
        if (!table.isNull())
            __builtin_trap(); // a refused text leaves no table behind
        return 0;
    }
    for (int done : {-1, 0, 1, 2, 100, 2147483647}) {
        int currency = 0, cost = 0;
        if (core::ReviveTable::priceOf(table, done, currency, cost) && (currency < 1 || currency > 3 || cost < 0))
            __builtin_trap(); // only the three currencies are ever charged, never a gift
    }
    return 0;
}
