#pragma once
#include <json/json.h>
#include <string>
#include <vector>

namespace kavri3D {
namespace zrk {

class ZRKWorld;

/// The server's ordinary shop: its catalogue (res/server/shop.json) and how members pay. An
/// entry sells one item under one or more options; an option is bought by its "s_id" and
/// "s_expire" and paid in one money kind ("s_buy_type" 1 coins, 2 coupons, 3 medals; other
/// types are never sold).
class ZRKShop {
public:
    struct Option {
        int s_id = 0;
        int i_id = 0;
        int s_price = 0;
        int s_buy_type = 0;
        int s_expire = 0; ///< days; 0 for ever
        int saleType = 0; ///< the entry's "si_sale_type": 0 the ordinary shop
    };
    static constexpr int kMaxEntries = 1000;
    static constexpr int kMaxOptions = 16;

    /// Reads the catalogue; entries that are mistyped or sell an item the world does not know
    /// are left out, each with a log line. False (an empty shop) when the file is unreadable.
    bool load(const std::string& file, ZRKWorld& world, std::string& why);
    /// Members' pricing: "platform_bluedrill" of the platform settings and the factor
    /// "auction/bluebrill_Dis" of the game settings (both JSON files of keys), as the client reads them.
    void loadMemberPricing(const std::string& platformFile, const std::string& settingsFile);
    /// The tests' control of members' pricing.
    void setMemberPricing(bool on, float factor);

    /// The catalogue as the client reads it: entries with their keys and "prices".
    const Json::Value& catalogue() const { return mCatalogue; }
    /// The option sold under that id and expiry; null when there is none.
    const Option* find(int sId, int expire) const;
    /// The options that sell the item, in catalogue order.
    std::vector<const Option*> optionsOf(int itemId) const;

    bool memberPricing() const { return mMemberPricing; }
    /// What a line of that money kind costs the player: the member price for medals when
    /// members' pricing is on and he is one, else as written.
    long long lineCost(int buyType, long long amount, bool member) const;

private:
    Json::Value mCatalogue{Json::arrayValue};
    std::vector<Option> mOptions;
    bool mMemberPricing = false;
    float mFactor = 0.8f;
};

} // namespace zrk
} // namespace kavri3D
