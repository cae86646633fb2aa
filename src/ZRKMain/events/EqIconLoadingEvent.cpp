#include "events/EqIconLoadingEvent.h"

#include <boost/bind/bind.hpp>
#include <data/ZRKServer.h>
#include <data/ZRKServerRequest.h>

#include "rooms/EquipRes.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

using namespace boost::placeholders;

EqIconLoadingEvent::EqIconLoadingEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

gui::ParamList* EqIconLoadingEvent::fillParams()
{
    clearParams();
    addPointer("eqcoll", &mIcons);
    addPointer("clsmap", &mSubClasses);
    return paramList();
}

void EqIconLoadingEvent::callback(gui::ParamHandle)
{
    if (EquipRes* equipment = GameServices::equipment())
        mIcons = equipment->getIconTable();
    mRequests.track(
        ZRKServerRequest::queryItemClasses(mRequests.guard(boost::bind(&EqIconLoadingEvent::onReply, this, _1, _2))));
}

void EqIconLoadingEvent::onReply(bool error, const std::string& text)
{
    ZRKServer* server = ZRKServerRequest::getServer();
    if (error || !server) {
        // The tables stay as they were; the line tells why the icons lack their classes.
        writeLog(kLogTrace, channel().c_str(), error ? text : "no server after the class reply");
        return;
    }
    mSubClasses.clear();
    for (const core::XmlConfigHelper& record : server->getClasses()) {
        gui::SubClass c;
        c.isc_id = record.getIntVal("isc_id", 0);
        c.ic_id = record.getIntVal("ic_id", 0);
        c.isc_name = record.getStringVal("isc_name", "");
        c.isc_slot = record.getIntVal("isc_slot", 0);
        c.isc_stack_num = record.getIntVal("isc_stack_num", 0);
        c.ic_name = record.getStringVal("ic_name", "");
        mSubClasses[c.isc_id] = c; // a later record of the same sub-class wins
    }
    raiseEvent(getEventId());
}

} // namespace zrk
} // namespace kavri3D
