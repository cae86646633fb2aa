#include "util/ReviveTable.h"

#include <algorithm>
#include "util/JsonText.h"

namespace kavri3D {
namespace core {

bool ReviveTable::read(const std::string& text, Json::Value& table)
{
    std::string error;
    // The text is the table's inside: brackets of its own would close it early.
    if (text.empty() || text.size() > 4096 || text.find_first_of("[]") != std::string::npos ||
        !JsonText::parse("[" + text + "]", table, error) || !table.isArray() || table.size() < 4 || !table[1].isInt()) {
        table = Json::Value();
        return false;
    }
    return true;
}

int ReviveTable::allowed(const Json::Value& table)
{
    return table.isArray() && table.size() >= 2 && table[1].isInt() ? std::max(table[1].asInt(), 0) : 0;
}

bool ReviveTable::priceOf(const Json::Value& t, int done, int& currency, int& cost)
{
    if (!t.isArray() || t.size() < 4)
        return false;
    const int pairs = static_cast<int>((t.size() - 2) / 2);
    const int k = std::min(std::max(done, 0), pairs - 1);
    const Json::Value& c = t[2 * k + 2];
    const Json::Value& p = t[2 * k + 3];
    if (!c.isInt() || !p.isInt() || c.asInt() < 1 || c.asInt() > 3 || p.asInt() < 0)
        return false;
    currency = c.asInt();
    cost = p.asInt();
    return true;
}

} // namespace core
} // namespace kavri3D
