#pragma once
#include <json/json.h>
#include <map>
#include <string>
#include <vector>

namespace kavri3D {
namespace zrk {

/// The forge's numbers (res/server/forge.json): what each enhance level costs and how likely it
/// succeeds, the stones and what they add, the refine of metals grade by grade, the kinds of
/// mix and the price of setting a gem. Without a sound file the forge is closed: its requests
/// are refused.
class ZRKForge {
public:
    /// The bonuses an item instance carries, in the order the bag shows them.
    static const char* const kBonuses[4];
    static constexpr int kMaxLevel = 12;
    /// Far beyond any price or bonus the forge gives; larger numbers are refused as they stand.
    static constexpr long long kLimit = 1000000000LL;

    struct Stone {
        enum Kind { Enhance, Luck, Safety, Metal, Gem };
        Kind kind = Enhance;
        double enhance = 0.0;              ///< added to an enhance's chance
        double luck = 0.0;                 ///< added to any draw's chance
        int grade = 0;                     ///< of a metal, 1 to 3
        long long bonus[4] = {0, 0, 0, 0}; ///< a gem's, in kBonuses' order
    };
    struct Level {
        long long cost = 0;
        double rate = 0.0;
        long long enhF = 0; ///< the enhancement value the level adds
    };
    struct Refine {
        long long cost = 0;
        double rate = 0.0;
    };
    struct Mix {
        bool passes[4] = {false, false, false, false}; ///< the bonuses handed on, in kBonuses' order
        long long cost = 0;
        double rate = 0.0;
    };

    /// Reads the file (1 MB at most); false, with the reason, when it is missing or unsound.
    bool load(const std::string& path, std::string& why);
    /// Takes the numbers of a parsed document; false, with the reason, when any is missing or
    /// of the wrong type, and the forge is closed.
    bool read(const Json::Value& doc, std::string& why);
    bool isOpen() const { return mOpen; }

    /// The stone of that item kind; null for an item that is no stone.
    const Stone* stone(long long itemId) const;
    /// What enhancing from `lv` to `lv` + 1 costs; null at the top level or beyond.
    const Level* level(int lv) const;
    /// Refining three metals of the grade; null when that grade refines no further.
    const Refine* refine(int grade) const;
    /// The item kind of the metal of that grade; 0 for none.
    long long metal(int grade) const;
    const Mix* mix(long long type) const;
    long long enchaseCost() const { return mEnchaseCost; }

private:
    bool mOpen = false;
    std::map<long long, Stone> mStones;
    std::vector<Level> mLevels;
    std::map<int, Refine> mRefine;
    std::map<long long, Mix> mMix;
    long long mEnchaseCost = 0;
};

} // namespace zrk
} // namespace kavri3D
