#include "events/ChooseServerLoadingEvent.h"

#include <core/BlackBoard.h>
#include <util/NetServerList.h>
#include <util/XmlConfigHelper.h>

#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

ChooseServerLoadingEvent::ChooseServerLoadingEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

gui::ParamList* ChooseServerLoadingEvent::fillParams()
{
    clearParams();
    addString("login_name", mLoginName);
    addString("login_pwd", mLoginPwd);
    addString("login_srv", mLoginSrv);
    return paramList();
}

void ChooseServerLoadingEvent::callback(gui::ParamHandle params)
{
    // A new choice replaces the last one whole: what it leaves out is empty.
    mLoginName.clear();
    mLoginPwd.clear();
    mLoginSrv.clear();
    readOptional("login_name", params, mLoginName);
    readOptional("login_pwd", params, mLoginPwd);
    readOptional("login_srv", params, mLoginSrv);
    if (!mLoginSrv.empty())
        playOn(mLoginSrv);
    raiseEvent(getEventId());
}

void ChooseServerLoadingEvent::playOn(const std::string& server)
{
    // The server chosen replaces the one picked at start-up: the log-in that follows goes to
    // it, and the settings keep it.
    core::BlackBoard* board = core::BlackBoard::getSingletonPtr();
    const std::string file = board ? board->getString("kavri3D/servers", "") : std::string();
    core::NetServerList list;
    std::string error;
    if (file.empty() || !list.readFromXmlFile(board->getString("kavri3D/appPath", "") + file, &error)) {
        writeLogf(kLogWarning, "ChooseServerLoadingEvent", "no server list to choose ", server, " from ", error);
        return;
    }
    const core::NetServer* chosen = list.find(server);
    if (!chosen) {
        writeLogf(kLogWarning, "ChooseServerLoadingEvent", "no server ", server, " in the list: the game stays on ",
                  board->getString("kavri3D/app/net/Name", ""));
        return;
    }
    core::XmlConfigHelper app(board->getConfiguration(), "kavri3D/app");
    chosen->write(app);
}

} // namespace zrk
} // namespace kavri3D
