#include "events/ChooseServerLoadingEvent.h"

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
    raiseEvent(getEventId());
}

} // namespace zrk
} // namespace kavri3D
