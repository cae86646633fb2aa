#pragma once
#include <string>
#include <vector>

namespace Json {
class Value;
}

namespace kavri3D {
namespace zrk {

class ZRKRole;

/// The looks a new character can choose from, as the default-appearance document lists them:
/// under "boy" and "girl" the arrays of each part's items, the animations, the actions and
/// their effects. Whatever the GUI asks (any look, any index) gets an answer: a missing look
/// or array, an entry that is not a text, or an index outside the array give "" or 0.
class CharCatalogue {
public:
    /// The five parts a look is dressed in, in the order the screen counts them.
    static const char* const kParts[5];

    /// The document of the role resources (null when it is missing).
    static const Json::Value& document();
    /// The number of entries of the look's array.
    static int count(const std::string& look, const std::string& array);
    /// Entry `index` of the look's array.
    static std::string entry(const std::string& look, const std::string& array, int index);

    /// Dresses the role in the look with the five parts' choices; with `withMood` also its
    /// mood (animation 0) and at most one idle action (animation 1).
    static void dress(ZRKRole& role, const std::string& look, const int indexes[5], bool clearEquipment, bool withMood);
};

} // namespace zrk
} // namespace kavri3D
