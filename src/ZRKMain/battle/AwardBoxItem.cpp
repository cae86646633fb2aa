#include "battle/AwardBoxItem.h"

#include <lan/ZRKLan.h>

namespace kavri3D {
namespace zrk {

AwardBoxItem AwardBoxItem::make(int id, int type, int num)
{
    static const char* const kNames[] = {"msg/award_nothing", "msg/award_zaobi", "msg/award_dianjuan",
                                         "msg/award_guabi", "msg/award_jifen", "msg/award_jingyan"};
    static const char* const kIcons[] = {"", "block/coin1", "block/coin1", "block/coin1", "block/card1", "block/card1"};
    AwardBoxItem item;
    item.bi_id = id;
    item.bi_type = type;
    item.bi_num = num;
    item.counted = type != 6;
    if (type >= 0 && type <= 5) {
        item.name = ZRKLan::getMsg(kNames[type]);
        item.icon = kIcons[type];
    } else {
        item.name = std::to_string(id); // the item library's name comes with the bag's issue
    }
    return item;
}

} // namespace zrk
} // namespace kavri3D
