#pragma once

namespace kavri3D {
namespace zrk {

/// Where items can lie: every slot number belongs to one bag. Worn slots 1-12 (bag 0), the
/// weapon bags 2-4 (slots 21-29, 31-39, 41-49), the props bag 5 (51-60), the bag proper 1
/// (from 61) and the temporary bag 11 (from 201).
class ZRKBagLayout {
public:
    enum { Worn = 0, Main = 1, Props = 5, Temporary = 11 };
    static constexpr int kMainFirst = 61;
    static constexpr int kPropsFirst = 51; ///< the props bag's slots, 51 to 60
    static constexpr int kPropsLast = 60;
    static constexpr int kMainSize = 60;
    static constexpr int kTemporaryFirst = 201;
    static constexpr int kTemporarySize = 60;

    /// The bag of a slot; -1 for a slot that is in no bag.
    static int bagOf(int slot);
};

} // namespace zrk
} // namespace kavri3D
