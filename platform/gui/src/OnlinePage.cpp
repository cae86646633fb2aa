#include "OnlinePage.h"

#include <CEGUI/CEGUI.h>
#include <gui/ParamNode.h>
#include <gui/RoleAttr.h>
#include <map>
#include <yake/Vector.h>

#include "EventDispatcher.h"
#include "ListRows.h"
#include "ParamStore.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
// Names asked for in one query at most.
const std::size_t kAskedAtOnce = 50;
} // namespace

OnlinePage::OnlinePage(const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent,
                       EventDispatcher& dispatcher)
    : GuiPage(kKind, windowName, title, params, std::move(parent)), mDispatcher(dispatcher)
{
    setFrameArea(0.7f, 0.04f, 0.98f, 0.96f);
}

void OnlinePage::buildContent(CEGUI::Window& frame)
{
    addWidget(frame, "TaharezLook/Listbox", "Players", "", 0.04f, 0.03f, 0.92f, 0.84f);
    mRefreshConnection = addWidget(frame, "TaharezLook/Button", "Refresh", "Refresh", 0.04f, 0.89f, 0.92f, 0.08f)
                             ->subscribeEvent(CEGUI::PushButton::EventClicked, [this](const CEGUI::EventArgs&) {
                                 refreshOwn();
                                 return true;
                             });
}

void OnlinePage::call(int eventId) { mDispatcher.callback(eventId, params().handle(kKind)); }

void OnlinePage::open()
{
    mAsked.clear();
    mArena = false;
    call(kLoadingEventId);
    call(kOwnFigureEventId);
}

bool OnlinePage::refreshOwn()
{
    const int id = mArena ? kArenaOwnRefreshEventId : kOwnRefreshEventId;
    if (!mDispatcher.find(id))
        return false;
    call(id);
    return true;
}

void OnlinePage::onFilled(int eventId, ParamList& list)
{
    if (eventId == kOwnRefreshEventId || eventId == kArenaOwnRefreshEventId) {
        // The own entry changed: the list is shown afresh.
        if (ParamList* fresh = mDispatcher.fillParams(mArena ? kArenaRefreshEventId : kRefreshEventId))
            showMembers(*fresh);
        return;
    }
    if (eventId == kArenaRefreshEventId && !mArena) {
        // An arena's hall: its own list and figure load too.
        mArena = true;
        call(kArenaLoadingEventId);
        call(kArenaOwnFigureEventId);
    }
    if (eventId == kRefreshEventId || eventId == kArenaRefreshEventId)
        showMembers(list);
}

void OnlinePage::showMembers(ParamList& list)
{
    const std::vector<RoleAttr>* roles = nullptr;
    const yake::Vector<std::string>* members = nullptr;
    for (const ParamNode* n : list) {
        if (!n)
            continue;
        if (n->name == "roles")
            roles = boost::any_cast<std::vector<RoleAttr>>(&n->value);
        else if (n->name == "members")
            members = boost::any_cast<yake::Vector<std::string>>(&n->value);
    }
    if (!members)
        return;
    std::map<std::string, const RoleAttr*> known;
    if (roles)
        for (const RoleAttr& r : *roles)
            known[r.member_name] = &r;
    mShown.clear();
    yake::Vector<std::string> unknown;
    for (const std::string& name : *members) {
        auto it = known.find(name);
        if (it != known.end())
            mShown.push_back((it->second->pc_nickname.empty() ? name : it->second->pc_nickname) + "  (Lv " +
                             std::to_string(it->second->pc_lv) + ")");
        else {
            mShown.push_back(name);
            if (unknown.size() < kAskedAtOnce && mAsked.insert(name).second)
                unknown.push_back(name);
        }
    }
    if (CEGUI::Window* frame = window())
        ListRows::setLines(*static_cast<CEGUI::Listbox*>(frame->getChild("Players")), mShown);
    if (!unknown.empty()) {
        ParamNode uids;
        uids.name = "uid_lst";
        uids.value = unknown;
        uids.size = static_cast<std::int32_t>(unknown.size());
        uids.type = ParamNode::Record;
        params().set(kKind, uids);
        mDispatcher.callback(kRefreshEventId, params().handle(kKind));
    }
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
