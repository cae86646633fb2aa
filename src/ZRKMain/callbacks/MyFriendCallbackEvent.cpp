#include "callbacks/MyFriendCallbackEvent.h"

#include <data/ZRKRosterRequest.h>
#include <data/ZRKSession.h>
#include <text/CeguiText.h>
#include <vector>

#include "events/fillRoleAttr.h"
#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

namespace {
enum Group { Friend = 1, Blacklist = 2 };
} // namespace

MyFriendCallbackEvent::MyFriendCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

MyFriendCallbackEvent::~MyFriendCallbackEvent() = default;

gui::FriendPlayer MyFriendCallbackEvent::friendOf(const core::XmlConfigHelper& item, int index)
{
    gui::FriendPlayer f;
    f.index = index;
    f.nickname = gui::toCeguiString(item.getStringVal("nick", ""));
    f.sex = item.getIntVal("f_cid", 0) == 1 ? 'M' : 'F';
    f.level = static_cast<std::int16_t>(item.getIntVal("f_lv", 0));
    f.rank = item.getIntVal("f_rank", 0);
    f.pep = item.getIntVal("pep", 0) == 1;
    f.attr.pc_id = item.getIntVal("f_pc_id", 0);
    f.attr.member_name = item.getStringVal("fuid", "");
    readBlueDrill(item.getIntVal("f_blue", 0), f.attr.blue_level, f.attr.blue_year);
    if (ZRKSession* session = GameServices::session())
        f.displayName = session->decorateUser(f.attr.member_name);
    return f;
}

gui::ParamList* MyFriendCallbackEvent::fillParams()
{
    clearParams();
    std::vector<gui::FriendPlayer> lists[3]; // friends, blacklist, anous
    if (const ZRKRosterIQ* roster = ZRKRosterRequest::getIQ(false)) {
        int index = 0;
        for (const auto& entry : roster->getRosterMap()) {
            const core::XmlConfigHelper& item = entry.second.getView();
            const int group = item.getIntVal("group", 0);
            lists[group == Friend ? 0 : group == Blacklist ? 1 : 2].push_back(friendOf(item, index++));
        }
    }
    addCollection("friend", lists[0]);
    addCollection("blacklist", lists[1]);
    addCollection("anous", lists[2]);
    return paramList();
}

void MyFriendCallbackEvent::callback(gui::ParamHandle)
{
    mRosterConnection = boost::signals2::connection();
    if (ZRKRosterIQ* roster = ZRKRosterRequest::getIQ(false))
        mRosterConnection = roster->subscribeToLoadSignal([this]() { onRosterLoaded(); });
    raiseEvent(getEventId());
}

void MyFriendCallbackEvent::onRosterLoaded() { raiseEvent(getEventId()); }

} // namespace zrk
} // namespace kavri3D
