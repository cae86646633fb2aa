#include "server/ZRKPrizeBoxes.h"

#include <algorithm>
#include <core/RandomNumber.h>

namespace kavri3D {
namespace zrk {

namespace {
/// The boxes a winner opens for free are the first half; the others' the second.
bool onSide(const ZRKPrizeBoxes::Battle& battle, const ZRKPrizeBoxes::Fighter& f, int index)
{
    if (battle.pve)
        return true;
    const int half = static_cast<int>(battle.offers.size()) / 2;
    return (f.flags & ZRKPrizeBoxes::kWon) ? index < half : index >= half;
}
} // namespace

ZRKPrizeBoxes::Battle& ZRKPrizeBoxes::open(const ZRKBoxes& boxes, const std::string& room, bool pve, double now,
                                           double closeAt, const std::map<std::string, Fighter>& fighters,
                                           core::RandomNumber& random)
{
    Battle b;
    b.room = room;
    b.pve = pve;
    b.serial = ++mSerial;
    b.closeAt = closeAt;
    b.fighters = fighters;
    // A mission has a free box for every one who fought it.
    int n = boxes.offers(pve);
    if (pve)
        n = std::max(n, static_cast<int>(std::min<std::size_t>(fighters.size(), kMostOffers)));
    for (int i = 0; i < n; ++i) {
        Offer o;
        o.loot = boxes.drawLoot(random.uniform());
        b.offers.push_back(o);
    }
    for (auto& f : b.fighters) {
        if (!f.second.bot || f.second.openings <= 0 || (f.second.flags & kLeft))
            continue;
        // The server's players of a mission leave the choice to the players: theirs go last,
        // in the last seconds at the latest.
        if (pve)
            f.second.botAt = std::max(now, closeAt - kBotLastSeconds) +
                             random.range(0.0f, static_cast<float>(kBotLastSeconds) - 1.0f);
        else
            f.second.botAt = now + random.range(static_cast<float>(boxes.botSecondsMin()),
                                                static_cast<float>(boxes.botSecondsMax()));
    }
    return mBattles[room] = b;
}

ZRKPrizeBoxes::Battle* ZRKPrizeBoxes::find(const std::string& room)
{
    auto it = mBattles.find(room);
    return it == mBattles.end() ? nullptr : &it->second;
}

void ZRKPrizeBoxes::closeDue(double now)
{
    for (auto it = mBattles.begin(); it != mBattles.end();)
        it = now >= it->second.closeAt ? mBattles.erase(it) : std::next(it);
}

ZRKPrizeBoxes::Price ZRKPrizeBoxes::priceFor(const ZRKBoxes& boxes, const Battle& battle, const std::string& player,
                                             int index)
{
    Price p;
    auto f = battle.fighters.find(player);
    const bool mayOpenFree = f != battle.fighters.end() && f->second.openings > 0 && !(f->second.flags & kLeft);
    if (mayOpenFree && onSide(battle, f->second, index))
        return p;
    const ZRKBoxes::Price& priced = boxes.price(index);
    p.kind = priced.kind;
    p.price = priced.price;
    return p;
}

long long ZRKPrizeBoxes::idFor(const ZRKBoxes& boxes, const Battle& battle, const std::string& player, int index)
{
    return battle.serial * 1000 + index * 10 + priceFor(boxes, battle, player, index).kind;
}

Json::Value ZRKPrizeBoxes::offersView(const ZRKBoxes& boxes, const Battle& battle, const std::string& player)
{
    Json::Value list(Json::arrayValue);
    for (std::size_t i = 0; i < battle.offers.size(); ++i) {
        const int index = static_cast<int>(i);
        const Price p = priceFor(boxes, battle, player, index);
        Json::Value o(Json::objectValue);
        o["b_id"] = static_cast<Json::Int64>(idFor(boxes, battle, player, index));
        o["b_type"] = battle.offers[i].openedBy.empty() ? 1 : 2;
        o["b_buy_type"] = p.kind;
        o["b_price"] = static_cast<Json::Int64>(p.price);
        list.append(o);
    }
    return list;
}

bool ZRKPrizeBoxes::playersDone(const Battle& battle)
{
    for (const auto& f : battle.fighters)
        if (!f.second.bot && f.second.openings > 0 && !(f.second.flags & kLeft))
            return false;
    return true;
}

std::vector<std::pair<std::string, std::string>> ZRKPrizeBoxes::dueBots(double now)
{
    std::vector<std::pair<std::string, std::string>> due;
    for (auto& b : mBattles) {
        const bool afterPlayers = b.second.pve && playersDone(b.second);
        for (auto& f : b.second.fighters)
            if (f.second.botAt >= 0.0 && (now >= f.second.botAt || afterPlayers)) {
                f.second.botAt = -1.0;
                due.emplace_back(b.first, f.first);
            }
    }
    return due;
}

int ZRKPrizeBoxes::freeBoxOf(const Battle& battle, const std::string& player)
{
    auto f = battle.fighters.find(player);
    if (f == battle.fighters.end())
        return -1;
    for (std::size_t i = 0; i < battle.offers.size(); ++i)
        if (battle.offers[i].openedBy.empty() && onSide(battle, f->second, static_cast<int>(i)))
            return static_cast<int>(i);
    return -1;
}

} // namespace zrk
} // namespace kavri3D
