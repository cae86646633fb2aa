#include "events/CreateCharEvent.h"

#include <boost/bind/bind.hpp>
#include <core/ClientStateMachine.h>
#include <core/Engine.h>
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

bool stateExists(const std::string& name)
{
    core::Engine* engine = core::Engine::getSingletonPtr();
    core::ClientStateMachine* machine = engine ? engine->getClientStateMachine() : nullptr;
    return machine && machine->getState(name);
}
} // namespace

CreateCharEvent::CreateCharEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher)
{
}

CreateCharEvent::~CreateCharEvent() = default;

gui::ParamList* CreateCharEvent::fillParams()
{
    clearParams();
    addBool("ret", ret);
    return paramList();
}

void CreateCharEvent::callback(gui::ParamHandle params)
{
    ret = true;
    bool goCreate = false;
    if (!readParam("goCreate", params, goCreate))
        return;
    if (!goCreate) {
        if (!mCreated || mStage != Idle) {
            writeLog(4, "CreateCharEvent", "going on refused: no character has been created yet");
            return;
        }
        // No GUI resource manager yet: the resources count as present.
        onResourcesReady();
        return;
    }
    if (mStage != Idle) {
        writeLog(4, "CreateCharEvent", "Create ignored: the last one is still under way");
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
        frame->messageBox("error/role_cre", text, 1, 9, 300, 150);
    ret = false;
    raiseEvent(getEventId());
}

void CreateCharEvent::createChar(bool error, const std::string& text)
{
    if (mStage != Creating)
        return;
    mStage = Idle;
    if (error) {
        writeLog(6, "CreateCharEvent::createChar", text);
        fail(text);
        return;
    }
    ret = true;
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
    const long sent =
        mRequests.track(ZRKUserRequest::regDefState(look, mRequests.guard(boost::bind(&CreateCharEvent::regDefState, this, _1, _2))));
    if (sent == 0)
        regDefState(true, "no game data: the look is not registered");
}

void CreateCharEvent::regDefState(bool error, const std::string& text)
{
    if (mStage != Registering)
        return;
    mStage = Idle;
    if (error) {
        writeLog(6, "CreateCharEvent::regDefState", text);
        ret = false;
    } else {
        ret = true;
    }
    raiseEvent(getEventId());
}

void CreateCharEvent::onResourcesReady()
{
    // The tutorial battle is the new player's first stop; while it is not there, the areas.
    const std::string state = stateExists("battle_newbie") ? "battle_newbie" : "room";
    writeLogf(6, "CreateCharEvent", "character ", mNickname, " created: on to ", state);
    if (ZRKSession* session = GameServices::session())
        session->teleport(std::string(), state, std::string());
}

} // namespace zrk
} // namespace kavri3D
