#include "events/ChangeMapEvent.h"

#include <core/Frame.h>
#include <data/ZRKRoomRequest.h>
#include <gui/MapInfList.h>
#include <lan/ZRKLan.h>

#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

gui::ParamList* ChangeMapEvent::fillParams()
{
    clearParams();
    addInt("mapid", mMapId);
    return paramList();
}

void ChangeMapEvent::callback(gui::ParamHandle params)
{
    const gui::ParamNode* node = findParam("mapinf", params);
    const gui::MapInfList* map = node ? boost::any_cast<gui::MapInfList>(&node->value) : nullptr;
    if (!map)
        return;
    mMapId = map->mapId;
    mRoomMode = -1;
    unsigned index = 0;
    const gui::ParamNode* idx = findParam("idx", params);
    const unsigned* given = idx ? boost::any_cast<unsigned>(&idx->value) : nullptr;
    if (!readOptional("mode", params, mRoomMode))
        mRoomMode = -1;
    auto done = mRequests.guard([this](bool error, const std::string& text) { changeMapCallback(error, text); });
    if (mRoomMode != 9) {
        mRequests.track(ZRKRoomRequest::changeMap(mMapId, done));
        return;
    }
    if (!given) {
        writeLog(kLogTrace, channel().c_str(), "a PVE map without its dungeon index: nothing sent");
        return;
    }
    index = *given;
    mRequests.track(ZRKRoomRequest::changeMapPVE(mMapId, index, done));
}

void ChangeMapEvent::changeMapCallback(bool error, const std::string& text)
{
    if (error)
        writeLog(kLogError, "ChangeMapEvent::changeMapCallback", text.c_str());
    if (mRoomMode == 8)
        return;
    if (error) {
        if (core::Frame* frame = GameServices::frame())
            frame->messageBox("error/title1", "error/map_change", core::Frame::kNoticeBox);
        return;
    }
    raiseEvent(mRoomMode == 9 ? gui::EventId::PveChangeMap : gui::EventId::ChangeMap);
}

} // namespace zrk
} // namespace kavri3D
