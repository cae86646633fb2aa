#include "events/LoginGoEvent.h"

#include <boost/bind/bind.hpp>
#include <core/BlackBoard.h>
#include <core/ClientStateMachine.h>
#include <core/ClientStateTable.h>
#include <core/Frame.h>
#include <data/SpConfig.h>
#include <data/ZRKArenaRequest.h>
#include <data/ZRKGuardRequest.h>
#include <data/ZRKGuildRequest.h>
#include <data/ZRKHonorRequest.h>
#include <data/ZRKJobRequest.h>
#include <data/ZRKPcBluRequest.h>
#include <data/ZRKRosterRequest.h>
#include <data/ZRKServerRequest.h>
#include <data/ZRKSession.h>
#include <data/ZRKTaskRequest.h>
#include <data/ZRKUserRequest.h>
#include <gui/IGuiManager.h>
#include <lan/ZRKLan.h>

#include "events/RoomListenEvent.h"
#include "events/ExitEvent.h"
#include "rooms/EquipRes.h"
#include "rooms/PersonalRoom.h"
#include "rooms/RoomLogon.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

using namespace boost::placeholders;

namespace kavri3D {
namespace zrk {

namespace {

std::string blackboardString(const char* key)
{
    core::BlackBoard* bb = core::BlackBoard::getSingletonPtr();
    return bb ? bb->getString(key, "") : std::string();
}

void refresh(ZRKDataLib* lib)
{
    if (lib)
        lib->refresh();
}

/// The message key of a refused log-in.
const char* loginFailureKey(int code)
{
    switch (code) {
    case 1:
        return "error/user_imfo_wrong1";
    case 2:
        return "error/user_loaded_wrong";
    default:
        return "error/user_net_wrong";
    }
}

} // namespace

LoginGoEvent::LoginGoEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher) {}

LoginGoEvent::~LoginGoEvent() = default;

gui::ParamList* LoginGoEvent::fillParams()
{
    clearParams();
    addBool("ret", mRet);
    addBool("hasRole", mHasRole);
    if (ZRKDataLib* stats = ZRKUserRequest::getStatsLib())
        addPointer("stats", stats);
    return paramList();
}

void LoginGoEvent::callback(gui::ParamHandle params)
{
    if (isBusy()) {
        writeLog(kLogWarning, channel().c_str(), "log-in refused: the last one is still under way");
        return;
    }
    bool lock = true;
    std::string showName;
    if (!readParam("username", params, mUserName) || !readParam("password", params, mPassword) ||
        !readParam("lock", params, lock) || !readOptional("show_name", params, showName)) {
        mPassword.clear();
        return;
    }
    if (core::XmlConfigHelper* settings = GameServices::settings()) {
        settings->setStringVal("player/name", lock ? showName : std::string());
        settings->setBoolVal("player/lock", lock);
        GameServices::saveSettings();
    }
    if (core::BlackBoard* bb = core::BlackBoard::getSingletonPtr())
        bb->setString("kavri3D/im/TGW", SpConfig::getConfig().getStringVal("platform_tgw", ""));

    const std::string password = mPassword;
    mPassword.clear();
    mConnection = boost::signals2::connection(); // the session's own log-out of the last log-in is no lost connection
    ++mAttempt;
    mStage = WaitSession;
    ZRKSession* session = GameServices::session();
    if (!session || !session->login(mUserName, password,
                                    mRequests.guard(boost::bind(&LoginGoEvent::onLogin, this, mAttempt, _1, _2))))
        onLoginFailed("error/user_net_wrong", true);
}

void LoginGoEvent::onLogin(unsigned attempt, core::ISession* session, int code)
{
    if (!expects(attempt, WaitSession))
        return;
    ZRKSession* zrkSession = dynamic_cast<ZRKSession*>(session);
    if (code != 0 || !zrkSession) {
        onLoginFailed(loginFailureKey(code), true);
        return;
    }
    mConnection =
        zrkSession->subscribeToConnectionSignal(boost::bind(&LoginGoEvent::onConnectionChanged, this, _1, _2));
    mRet = true;
    ZRKServerRequest::queryMaster(ZRKReply());
    ZRKServerRequest::queryItemClasses(ZRKReply());
    if (EquipRes* equipment = GameServices::equipment())
        equipment->load();
    refresh(ZRKTaskRequest::getQuestLib());
    refresh(ZRKJobRequest::getPurposeLib());
    refresh(ZRKPcBluRequest::getBluDrillLib());
    if (ZRKServer* server = ZRKServerRequest::getServer()) {
        refresh(server->getNpcLib());
        refresh(server->getDuplicateLib());
        refresh(ZRKHonorRequest::getTitleLib());
        refresh(ZRKHonorRequest::getHonorLib());
        // The rooms' maps, the weapons the seats pose with and the guests' level slots.
        refresh(server->getMapLib());
        refresh(server->getWeaponLib());
        refresh(ZRKUserRequest::getBBRSlotLib());
    }
    mStage = WaitInfo;
    if (!sent(ZRKUserRequest::queryUserInfo0(
            blackboardString("kavri3D/version/product"),
            mRequests.guard(boost::bind(&LoginGoEvent::onInfoReply, this, attempt, _1, _2, 1)))))
        onLoginFailed("error/user_imfo_wrong", false);
}

void LoginGoEvent::onInfoReply(unsigned attempt, bool error, const std::string& text, int step)
{
    if (step == 1 && expects(attempt, WaitInfo)) {
        if (error) {
            onLoginFailed(text.empty() ? "error/user_imfo_wrong" : text, false);
            return;
        }
        mStage = WaitDefState;
        if (!sent(ZRKUserRequest::queryUserDefState(
                mUserName, mRequests.guard(boost::bind(&LoginGoEvent::onInfoReply, this, attempt, _1, _2, 2)))))
            onLoginFailed("error/user_imfo_wrong", false);
    } else if (step == 2 && expects(attempt, WaitDefState)) {
        sendBatch(); // the default look is not needed to go on
    }
}

void LoginGoEvent::sendBatch()
{
    mStage = WaitBatch;
    mReplyCount = 0;
    mBatchSeen.reset();
    auto done = [this](int step) {
        return mRequests.guard(boost::bind(&LoginGoEvent::onBatchReply, this, mAttempt, _1, _2, step));
    };
    const bool all =
        sent(ZRKUserRequest::queryUserInventory(0, done(3))) && sent(ZRKUserRequest::queryPcStats(done(4))) &&
        sent(ZRKTaskRequest::getPcQuestList(false, done(5))) && sent(ZRKHonorRequest::queryPcTitle(done(6))) &&
        sent(ZRKGuildRequest::queryPlayerGuild("{pcid:0}", done(7))) &&
        sent(ZRKRosterRequest::queryMyRoster(done(8))) && sent(ZRKArenaRequest::queryMyArena(done(9))) &&
        sent(ZRKGuardRequest::queryPlayerGuard(done(10))) && sent(ZRKJobRequest::getPcPurposeList(done(11))) &&
        sent(ZRKPcBluRequest::getPcBluDrillList(done(12)));
    if (!all)
        onLoginFailed("error/user_imfo_wrong", false);
}

void LoginGoEvent::onBatchReply(unsigned attempt, bool, const std::string&, int step)
{
    // A failed list does not stop the log-in; a reply counts once, whatever arrives twice.
    if (!expects(attempt, WaitBatch) || step < kFirstBatchStep || step >= kFirstBatchStep + kBatchSize ||
        mBatchSeen.test(step))
        return;
    mBatchSeen.set(step);
    if (++mReplyCount < kBatchSize)
        return;
    mReplyCount = 0;
    if (ZRKUserRequest::getUserInfo(mUserName).getIntVal("pc_id", 0) != 0) {
        mHasRole = true;
        mStage = WaitResources;
        // On once every GUI resource file is present; the answer is bound to this attempt and
        // refused once the event is gone.
        const bool waiting = GameServices::requestResources(mRequests.guard([this, attempt](bool ready) {
            if (ready) {
                finishLogin(attempt);
            } else if (expects(attempt, WaitResources)) {
                writeLog(kLogWarning, "LoginGoEvent", "the GUI resources are not all there: the log-in stops");
                endAttempt();
            }
        }));
        if (!waiting)
            finishLogin(attempt); // no downloader: the resources count as present
        return;
    }
    mHasRole = false;
    mStage = Idle;
    teleport(core::ClientStateTable::kCreateChar);
    raiseEvent(getEventId());
}

void LoginGoEvent::finishLogin(unsigned attempt)
{
    if (!expects(attempt, WaitResources))
        return;
    mStage = Idle;
    raiseEvent(getEventId());
    const int newbieTask = ZRKUserRequest::getUserSetting(mUserName).getIntVal("pc_newbie_task", 0);
    // The tutorial battle is a new player's first stop; while it is not there, the areas.
    teleport(newbieTask == 0 ? GameServices::newPlayerState() : core::ClientStateTable::kArea);
}

void LoginGoEvent::teleport(const std::string& state)
{
    writeLogf(kLogTrace, "LoginGoEvent", mUserName, " logged in: on to ", state);
    ZRKSession* session = GameServices::session();
    // An online player is never left on the log-in screen: a state that cannot be entered
    // logs him out with a box saying so.
    if (session && !session->teleport(std::string(), state, std::string()))
        onLoginFailed("error/state_wrong", true);
}

void LoginGoEvent::onConnectionChanged(core::ISession*, int state)
{
    if (state == ZRKSession::Connected)
        return;
    mConnection = boost::signals2::connection();
    endAttempt();
    // A log-out or a quit was meant: whoever ended the session takes the player where they go,
    // and there is no cut connection to tell of.
    if (!ZRKSession::isLoss(state))
        return;
    RoomListenEvent::setListening(false);
    if (RoomLogon* logon = RoomLogon::getSingletonPtr())
        logon->markReload();
    if (PersonalRoom* personal = PersonalRoom::getSingletonPtr())
        personal->markReload();
    if (core::ClientStateMachine* machine = GameServices::stateMachine())
        machine->changeState(core::ClientStateTable::kLogon);
}

void LoginGoEvent::onLoginFailed(const std::string& text, bool ask)
{
    mConnection = boost::signals2::connection();
    endAttempt();
    if (ZRKSession* session = GameServices::session())
        session->logout();
    mRet = false;
    core::BlackBoard* bb = core::BlackBoard::getSingletonPtr();
    const bool autoLogin = bb && bb->getBool("kavri3D/autoLogin/_act", false);
    ExitEvent* exit = ExitEvent::instance();
    if ((autoLogin || !ask) && exit) {
        exit->showBox("error/access_wrong", text);
        return;
    }
    if (gui::IGuiManager* manager = GameServices::guiManager()) {
        manager->resetPages();
        manager->showPage("login");
    }
    if (core::Frame* frame = GameServices::frame())
        frame->messageBox("error/access_wrong", text, core::Frame::kNoticeBox);
    raiseEvent(getEventId());
}

bool LoginGoEvent::sent(long handle)
{
    mRequests.track(handle);
    return handle != 0;
}

void LoginGoEvent::endAttempt()
{
    ++mAttempt;
    mRequests.cancelAll();
    mStage = Idle;
    mReplyCount = 0;
}

} // namespace zrk
} // namespace kavri3D
