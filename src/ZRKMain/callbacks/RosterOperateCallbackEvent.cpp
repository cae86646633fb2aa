#include "callbacks/RosterOperateCallbackEvent.h"

#include <core/DialogBoxResult.h>
#include <core/Frame.h>
#include <data/ZRKParamText.h>
#include <data/ZRKRequestBroker.h>
#include <data/ZRKRosterRequest.h>
#include <data/ZRKSession.h>
#include <data/ZRKUserRequest.h>
#include <json/json.h>
#include <lan/ZRKLan.h>
#include <tinyxml.h>

#include "callbacks/RefusalBox.h"
#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

namespace {

// A nickname in the box is cut after this many bytes: the box must stay readable whatever
// was typed.
const std::size_t kShownNick = 64;

/// The nickname as the box shows it: at most kShownNick bytes, cut between characters.
std::string shownNick(const std::string& nick)
{
    if (nick.size() <= kShownNick)
        return nick;
    std::size_t end = kShownNick;
    while (end > 0 && (static_cast<unsigned char>(nick[end]) & 0xC0) == 0x80)
        --end;
    return nick.substr(0, end) + "...";
}

/// The "uid" of the reply whose completion runs now; empty without one.
std::string replyUid()
{
    const TiXmlNode* data = reqCurrentData();
    const TiXmlElement* root = data ? data->FirstChildElement() : nullptr;
    const TiXmlElement* uid = root ? root->FirstChildElement("uid") : nullptr;
    return uid && uid->GetText() ? uid->GetText() : std::string();
}

} // namespace

RosterOperateCallbackEvent::RosterOperateCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

RosterOperateCallbackEvent::~RosterOperateCallbackEvent() = default;

gui::ParamList* RosterOperateCallbackEvent::fillParams() { return emptyParams(); }

std::string RosterOperateCallbackEvent::addText(const std::string& uid, int group)
{
    Json::Value v(Json::objectValue);
    v["fgroup"] = group;
    v["fuid"] = uid;
    return ZRKParamText::makeQuoted(v);
}

std::string RosterOperateCallbackEvent::moveText(int fgroup, int fpcid)
{
    Json::Value v(Json::objectValue);
    v["fgroup"] = fgroup;
    v["fpcid"] = fpcid;
    return ZRKParamText::makeQuoted(v);
}

std::string RosterOperateCallbackEvent::deleteText(int fpcid)
{
    Json::Value v(Json::objectValue);
    v["fpcid"] = fpcid;
    return ZRKParamText::makeQuoted(v);
}

void RosterOperateCallbackEvent::callback(gui::ParamHandle params)
{
    int type = 0;
    if (!take("type", params, type))
        return;
    std::string uid, nick, fuid;
    int group = 0;
    switch (type) {
    case 1:
        if (!take("uid", params, uid) || !take("nick", params, nick) || !take("group", params, group))
            return;
        if (!uid.empty())
            return addRoster(uid, group);
        mRequests.track(ZRKUserRequest::queryUserByNick(
            nick, mRequests.guard([this, nick, group](bool error, const std::string& text) {
                onNickReply(error, text, nick, group);
            })));
        return;
    case 2:
        if (take("fuid", params, fuid) && take("fgroup", params, group))
            moveGroup(fuid, group);
        return;
    case 3:
        if (take("fuid", params, fuid))
            confirmDelete(fuid);
        return;
    default:
        return;
    }
}

void RosterOperateCallbackEvent::onNickReply(bool error, const std::string&, const std::string& nick, int group)
{
    const std::string uid = error ? std::string() : replyUid();
    if (!uid.empty())
        return addRoster(uid, group);
    if (core::Frame* frame = GameServices::frame())
        frame->messageBoxText(ZRKLan::getMsg("msg/lose"), ZRKLan::getMsg("error/no_person") + shownNick(nick),
                              core::Frame::kNoticeBox);
}

void RosterOperateCallbackEvent::addRoster(const std::string& uid, int group)
{
    const ZRKSession* session = GameServices::session();
    if (session && uid == session->getUID())
        return; // a player cannot put himself on his roster
    mRequests.track(ZRKRosterRequest::queryAddRoster(addText(uid, group), refusalShown()));
}

void RosterOperateCallbackEvent::moveGroup(const std::string& fuid, int fgroup)
{
    const ZRKRosterIQ* roster = ZRKRosterRequest::getIQ(false);
    if (!roster)
        return;
    const core::XmlConfigHelper item = roster->getRosterItem(fuid);
    const int pcId = item.getIntVal("f_pc_id", 0);
    if (pcId == 0 || item.getIntVal("group", 0) == fgroup)
        return;
    mRequests.track(ZRKRosterRequest::queryUptRoster(moveText(fgroup, pcId), refusalShown()));
}

void RosterOperateCallbackEvent::confirmDelete(const std::string& fuid)
{
    const ZRKRosterIQ* roster = ZRKRosterRequest::getIQ(false);
    const int pcId = roster ? roster->getRosterItem(fuid).getIntVal("f_pc_id", 0) : 0;
    core::Frame* frame = GameServices::frame();
    if (pcId == 0 || !frame)
        return;
    mBoxConnection = frame->messageBox2("warning/title", "warning/friend_delete",
                                        mRequests.guard([this, pcId](core::DialogBoxResult& r) { onConfirm(r, pcId); }),
                                        core::Frame::kQuestionBox);
}

void RosterOperateCallbackEvent::onConfirm(core::DialogBoxResult& result, int pcId)
{
    if (result.button == 0)
        mRequests.track(ZRKRosterRequest::queryDelRoster(deleteText(pcId), refusalShown()));
}

ZRKReply RosterOperateCallbackEvent::refusalShown()
{
    // The roster itself changes by the server's notices; only a refusal has to be told.
    return mRequests.guard([](bool error, const std::string& text) {
        if (error)
            RefusalBox::show(text);
    });
}

} // namespace zrk
} // namespace kavri3D
