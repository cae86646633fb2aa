#include "events/RoomFlow.h"

#include <core/Frame.h>
#include <data/ZRKSession.h>
#include <gui/EventId.h>
#include <gui/IGuiManager.h>
#include <gui/IScreenNotifier.h>
#include <util/XmlConfigHelper.h>

#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

int RoomFlow::idFor(Purpose purpose, int mode)
{
    using namespace gui::EventId;
    static const int ids[3][3] = {{RoomLoading, FixedMapRoomLoading, PveRoomLoading},
                                  {RoomListen, FixedMapRoomListen, PveRoomListen},
                                  {PlayerLeave, FixedMapPlayerLeave, PvePlayerLeave}};
    const int group = mode >= 1 && mode <= 3 ? 0 : mode == 8 ? 1 : mode == 9 ? 2 : -1;
    if (group < 0)
        return purpose == View ? RoomLoading : 0; // other modes show the plain view and raise nothing else
    return ids[purpose][group];
}

void RoomFlow::handOverScreens()
{
    gui::IGuiManager* manager = GameServices::guiManager();
    if (manager && manager->getScreenNotifier())
        manager->getScreenNotifier()->notify(21);
    if (core::Frame* frame = GameServices::frame())
        frame->cancelMessageBox();
    if (manager) {
        manager->notifyBattleStarting();
        manager->resetPages();
    }
}

long RoomFlow::enterRoom(core::MsgRoomCallback& callback, const std::string& room, const std::string& password,
                         bool always)
{
    ZRKSession* session = GameServices::session();
    if (!session)
        return 0;
    session->removeMsgRoomCallback(&callback);
    session->addMsgRoomCallback(session->getMsgClient()->roomAddress(room), &callback);
    if (password.empty() && !always)
        return session->enter(room, std::string());
    core::XmlConfigHelper entry;
    entry.setStringVal("password", password);
    return session->enter(room, entry);
}

} // namespace zrk
} // namespace kavri3D
