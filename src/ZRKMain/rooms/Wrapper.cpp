#include "rooms/Wrapper.h"

#include <data/ZRKGameData.h>
#include <data/ZRKQuestLib.h>
#include <data/ZRKTaskRequest.h>
#include <json/value.h>

#include "rooms/EquipRes.h"
#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

gui::BagData Wrapper::getItemRecord(int itemId)
{
    gui::BagData record;
    record.i_id = itemId;
    if (EquipRes* res = GameServices::equipment())
        res->fillItemRecord(itemId, record);
    return record;
}

gui::QuestBook Wrapper::getQuestBook()
{
    gui::QuestBook book;
    if (ZRKQuestLib* library = ZRKTaskRequest::getQuestLib())
        book.library = library->records();
    if (ZRKGameData* data = ZRKGameData::getSingletonPtr())
        book.mine = data->viewJson("pcQuests");
    return book;
}

} // namespace zrk
} // namespace kavri3D
