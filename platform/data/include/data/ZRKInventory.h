#pragma once
#include <json/json.h>
#include <list>
#include <vector>
#include <util/XmlConfigHelper.h>

namespace kavri3D {
namespace zrk {

/// The items a player holds, each a record with its bag number ("bag") and slot ("slot").
class ZRKInventory {
public:
    /// Takes the items of an inventory reply ({"items": [...]}); anything else is empty. The
    /// reply is read where it is kept (the game data's view), so it must outlive this use.
    void assign(const Json::Value* reply);
    void clear();

    const std::vector<core::XmlConfigHelper>& items() const;
    /// Appends the items of one bag, in slot order as held; returns how many.
    int bagItems(int bag, std::list<core::XmlConfigHelper>& out) const;

private:
    const Json::Value* mReply = nullptr;               ///< as the server sent it
    mutable std::vector<core::XmlConfigHelper> mItems; ///< made from it when first asked for
    mutable bool mMade = true;
};

} // namespace zrk
} // namespace kavri3D
