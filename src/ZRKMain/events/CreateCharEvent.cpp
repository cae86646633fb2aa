#include "events/CreateCharEvent.h"

#include <boost/bind/bind.hpp>
#include <core/Frame.h>
#include <data/ZRKRosterRequest.h>
#include <data/ZRKSession.h>
#include <data/ZRKUserRequest.h>
#include <lan/ZRKLan.h>

#include "events/CharCatalogue.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

using namespace boost::placeholders;

namespace kavri3D {
namespace zrk {

namespace {
const char* const kDefKeys[5] = {"def_hair", "def_face", "def_coat", "def_glove", "def_shoes"};
} // namespace

CreateCharEvent::CreateCharEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher)
{
}

CreateCharEvent::~CreateCharEvent() = default;

gui::ParamList* CreateCharEvent::fillParams()
{
    clearParams();
    addBool("ret", mRet);
    return paramList();
}

void CreateCharEvent::callback(gui::ParamHandle params)
{
    mRet = true;
    bool goCreate = false;
    if (!readParam("goCreate", params, goCreate))
        return;
    if (!goCreate) {
        if (!mCreated || mStage != Idle) {
            writeLog(kLogWarning, "CreateCharEvent", "going on refused: no character has been created yet");
            return;
        }
        // On once the GUI resources are present; only the last wait counts, and none after the
        // event is gone.
        const unsigned wait = ++mResourceWait;
        const bool waiting = GameServices::requestResources(mRequests.guard([this, wait](bool ready) {
            if (wait != mResourceWait)
                return;
            if (ready)
                onResourcesReady();
            else
                writeLog(kLogWarning, "CreateCharEvent", "the GUI resources are not all there: staying");
        }));
        if (!waiting)
            onResourcesReady(); // no downloader: the resources count as present
        return;
    }
    if (mStage != Idle) {
        writeLog(kLogWarning, "CreateCharEvent", "Create ignored: the last one is still under way");
        return;
    }
    if (mCreated) {
        // The character is there; only its look is still to be kept.
        sendRegistration();
        return;
    }
    std::string nickname;
    gui::RoleState state;
    if (!readParam("nickname", params, nickname) || !readParam("state", params, state))
        return;
    if (nickname.empty()) {
        fail(ZRKLan::getMsg("error/role_name_empty"));
        return;
    }
    mChoice = state;
    mNickname = nickname;
    const std::string sex = state.look == "boy" ? "1" : "2";
    mStage = Creating;
    const long sent = mRequests.track(ZRKUserRequest::queryUserCreateChar(
        sex, nickname, mRequests.guard(boost::bind(&CreateCharEvent::createChar, this, _1, _2))));
    if (sent == 0) {
        mStage = Idle;
        fail(ZRKLan::getMsg("error/user_net_wrong"));
    }
}

void CreateCharEvent::fail(const std::string& text)
{
    if (core::Frame* frame = GameServices::frame())
        frame->messageBox("error/role_cre", text, core::Frame::kNoticeBox);
    mRet = false;
    raiseEvent(getEventId());
}

void CreateCharEvent::createChar(bool error, const std::string& text)
{
    if (mStage != Creating)
        return;
    mStage = Idle;
    if (error) {
        writeLog(kLogTrace, "CreateCharEvent::createChar", text);
        fail(text);
        return;
    }
    mRet = true;
    mCreated = true;
    sendRegistration();
    ZRKRosterRequest::queryMyRoster(ZRKReply());
}

void CreateCharEvent::sendRegistration()
{
    core::XmlConfigHelper look;
    look.setIntVal("pc_id", ZRKUserRequest::getPc_id().getIntVal("pc_id", 0));
    for (int part = 0; part < 5; ++part)
        look.setIntVal(kDefKeys[part], mChoice.index[part]);
    mStage = Registering;
    const long sent = mRequests.track(
        ZRKUserRequest::regDefState(look, mRequests.guard(boost::bind(&CreateCharEvent::regDefState, this, _1, _2))));
    if (sent == 0)
        regDefState(true, "no game data: the look is not registered");
}

void CreateCharEvent::regDefState(bool error, const std::string& text)
{
    if (mStage != Registering)
        return;
    mStage = Idle;
    if (error) {
        writeLog(kLogTrace, "CreateCharEvent::regDefState", text);
        mRet = false;
    } else {
        mRet = true;
    }
    raiseEvent(getEventId());
}

void CreateCharEvent::onResourcesReady()
{
    // The tutorial battle is the new player's first stop; while it is not there, the areas.
    const std::string state = GameServices::newPlayerState();
    writeLogf(kLogTrace, "CreateCharEvent", "character ", mNickname, " created: on to ", state);
    GameServices::teleportOrLogOut(state);
}

} // namespace zrk
} // namespace kavri3D
