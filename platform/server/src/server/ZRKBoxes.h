#pragma once
#include <json/json.h>
#include <map>
#include <string>
#include <vector>

namespace kavri3D {
namespace zrk {

/// The numbers behind boxes and bag items (res/server/boxes.json): the prize boxes a finished
/// battle offers (how many, their prices, what they may hold and how likely, when the server's
/// own players open theirs), what each box item of the bag holds, the price of a rank card and
/// how long it lasts, the function items and the bag's largest size. Without a sound file every
/// box and item request is refused.
class ZRKBoxes {
public:
    /// Far beyond any amount a box gives; larger numbers are refused as they stand.
    static constexpr long long kLimit = 1000000000LL;
    /// One award: a kind (1 coins, 2 coupons, 3 medals, 4 score, 5 experience, 6 an item), the
    /// item's id (kind 6), the amount and, in the prize loot, its weight.
    struct Award {
        int type = 0;
        long long id = 0;
        long long num = 0;
        long long weight = 1;
    };
    struct Price {
        int kind = 1; ///< 1 coins, 2 coupons, 3 medals
        long long price = 0;
    };
    struct Function {
        int type = 0;        ///< 1 stat points back, 2 bag slots, 3 a new nickname
        long long slots = 0; ///< type 2: slots added
    };

    /// Reads the file (1 MB at most); false, with the reason, when it is missing or unsound.
    bool load(const std::string& path, std::string& why);
    /// Takes the numbers of a parsed document; false, with the reason, and closed, when any is
    /// missing or of the wrong type.
    bool read(const Json::Value& doc, std::string& why);
    bool isOpen() const { return mOpen; }

    int offers(bool pve) const { return pve ? mPveOffers : mOffers; }
    /// The price of a box that is not free, by its place among the offers.
    const Price& price(int index) const { return mPrices[static_cast<std::size_t>(index) % mPrices.size()]; }
    /// Draws one award of the prize loot from `share` (0 to below 1).
    const Award& drawLoot(double share) const;
    /// Seconds after the battle's end within which a server's player opens its box.
    double botSecondsMin() const { return mBotSeconds[0]; }
    double botSecondsMax() const { return mBotSeconds[1]; }
    /// What a box item holds; null for an item that is no box.
    const std::vector<Award>* bagBox(long long itemId) const;
    /// The six coefficients of a rank card's price and the days it lasts.
    const long long* unlockParam() const { return mUnlock; }
    long long unlockDays() const { return mUnlockDays; }
    /// The function item of that id; null for any other item.
    const Function* function(long long itemId) const;
    int bagLimit() const { return mBagLimit; }

private:
    bool mOpen = false;
    int mOffers = 8, mPveOffers = 3;
    std::vector<Price> mPrices;
    std::vector<Award> mLoot;
    long long mLootWeight = 0;
    double mBotSeconds[2] = {1.0, 10.0};
    std::map<long long, std::vector<Award>> mBagBoxes;
    long long mUnlock[6] = {0, 0, 0, 0, 0, 0};
    long long mUnlockDays = 7;
    std::map<long long, Function> mFunctions;
    int mBagLimit = 60;
};

} // namespace zrk
} // namespace kavri3D
