#pragma once
#include <string>

namespace kavri3D {
namespace zrk {

/// One entry of a battle's award list: a counted kind (1 to 5) or an item (6).
struct AwardBoxItem {
    int bi_id = 0;
    int bi_type = 0;
    int bi_num = 0;
    bool counted = true;
    std::string name;
    std::string icon;

    /// The entry's name and icon from its kind (items: their id as the name).
    static AwardBoxItem make(int id, int type, int num);
};

} // namespace zrk
} // namespace kavri3D
