#include "FriendsTab.h"

#include <CEGUI/CEGUI.h>
#include <boost/any.hpp>
#include <text/CeguiText.h>

#include "EventDispatcher.h"
#include "ListRows.h"
#include "ParamStore.h"
#include "PlayerPage.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
const char* const kListNames[] = {"Friends", "Blacklist", "Others"};
const char* const kListNodes[] = {"friend", "blacklist", "anous"};
const int kShownBagItems = 8;
} // namespace

FriendsTab::FriendsTab(PlayerPage& page) : PlayerTab(page) {}

void FriendsTab::build(CEGUI::Window& pane)
{
    auto* list = static_cast<CEGUI::MultiColumnList*>(
        addWidget(pane, "TaharezLook/MultiColumnList", "FriendList", "", 0.0f, 0.0f, 1.0f, 0.46f));
    ListRows::addColumns(*list, {{"Nickname", 0.34f}, {"Lv", 0.1f}, {"Sex", 0.1f}, {"Mutual", 0.14f}, {"List", 0.28f}});
    list->setSelectionMode(CEGUI::MultiColumnList::RowSingle);
    addWidget(pane, "TaharezLook/StaticText", "NickLabel", "Nickname", 0.0f, 0.48f, 0.18f, 0.07f);
    addWidget(pane, "TaharezLook/Editbox", "Nick", "", 0.19f, 0.48f, 0.33f, 0.07f);
    addWidget(pane, "TaharezLook/StaticText", "GroupLabel", "List (1-3)", 0.53f, 0.48f, 0.2f, 0.07f);
    addWidget(pane, "TaharezLook/Editbox", "Group", "1", 0.74f, 0.48f, 0.08f, 0.07f);
    const struct {
        const char* name;
        const char* text;
        void (FriendsTab::*act)();
        float x, y;
    } buttons[] = {{"Add", "Add", &FriendsTab::add, 0.84f, 0.48f},
                   {"Move", "Move", &FriendsTab::move, 0.0f, 0.57f},
                   {"Delete", "Delete", &FriendsTab::remove, 0.2f, 0.57f},
                   {"Profile", "Profile", &FriendsTab::profile, 0.4f, 0.57f},
                   {"Invite", "Invite to guild", &FriendsTab::invite, 0.6f, 0.57f}};
    for (const auto& b : buttons) {
        CEGUI::Window* button =
            addWidget(pane, "TaharezLook/Button", b.name, b.text, b.x, b.y, b.x == 0.84f ? 0.16f : 0.19f, 0.07f);
        auto act = b.act;
        keep(button->subscribeEvent(CEGUI::PushButton::EventClicked, [this, act](const CEGUI::EventArgs&) {
            (this->*act)();
            return true;
        }));
    }
    addWidget(pane, "TaharezLook/StaticText", "ProfileText", "", 0.0f, 0.66f, 1.0f, 0.34f);
    showRoster();
    showProfile();
}

void FriendsTab::onSelected()
{
    const ParamHandle handle = params().handle(PlayerPage::kKind);
    dispatcher().callback(kAttrEventId, handle); // the own guild
    dispatcher().callback(kFriendsEventId, handle);
}

std::vector<std::string> FriendsTab::rowOf(const FriendPlayer& f, const char* list)
{
    return {fromCeguiString(f.nickname), std::to_string(f.level), f.sex == 'M' ? "boy" : "girl", f.pep ? "yes" : "-",
            list};
}

void FriendsTab::onFilled(int eventId, ParamList& list)
{
    if (eventId == kFriendsEventId) {
        mEntries.clear();
        mLists.clear();
        for (const ParamNode* node : list)
            for (int l = 0; l < 3; ++l)
                if (node && node->name == kListNodes[l])
                    if (const auto* entries = boost::any_cast<std::vector<FriendPlayer>>(&node->value))
                        for (const FriendPlayer& f : *entries) {
                            mEntries.push_back(f);
                            mLists.push_back(kListNames[l]);
                        }
        showRoster();
    } else if (eventId == kAttrEventId) {
        for (const ParamNode* node : list)
            if (node && node->name == "currentRole")
                if (const auto* role = boost::any_cast<RoleAttr>(&node->value))
                    mOwnGuild = role->info.getIntVal("g_id", 0);
    } else if (eventId == kProfileEventId) {
        for (const ParamNode* node : list)
            if (node && node->name == "roleattr")
                if (const auto* role = boost::any_cast<RoleAttr>(&node->value)) {
                    mProfile = *role;
                    mHasProfile = true;
                    mProfileBag.clear();
                    showProfile();
                    // Then his look on the preview and his bag.
                    send(kPersonalEventId, {ParamNode("roleattr", &mProfile, -1, ParamNode::Record)});
                }
    } else if (eventId == kPersonalEventId) {
        for (const ParamNode* node : list)
            if (node && node->name == "bagList")
                if (const auto* bag = boost::any_cast<std::vector<BagData>>(&node->value)) {
                    mProfileBag = *bag;
                    showProfile();
                }
    }
}

void FriendsTab::showRoster()
{
    auto* list = static_cast<CEGUI::MultiColumnList*>(child("FriendList"));
    if (!list)
        return;
    std::vector<std::vector<std::string>> rows;
    for (std::size_t i = 0; i < mEntries.size(); ++i)
        rows.push_back(rowOf(mEntries[i], mLists[i].c_str()));
    ListRows::fill(*list, rows);
}

void FriendsTab::showProfile()
{
    CEGUI::Window* text = child("ProfileText");
    if (!text)
        return;
    std::string shown;
    if (mHasProfile) {
        shown = mProfile.pc_nickname + "  Lv " + std::to_string(mProfile.pc_lv) + "  Rank " +
                std::to_string(mProfile.pc_rank) + "\nStr " + std::to_string(mProfile.pc_str) + "  Vit " +
                std::to_string(mProfile.pc_vit) + "  Dex " + std::to_string(mProfile.pc_dex) + "  Luk " +
                std::to_string(mProfile.pc_luk) + "\nWears:";
        int shownItems = 0;
        for (const BagData& b : mProfileBag)
            if (b.i_id != 0 && shownItems++ < kShownBagItems)
                shown += " " + (b.i_name.empty() ? std::to_string(b.i_id) : b.i_name);
        if (shownItems == 0)
            shown += " -";
    }
    text->setText(outsideText(shown));
}

const FriendPlayer* FriendsTab::picked() const
{
    const auto* list = static_cast<const CEGUI::MultiColumnList*>(child("FriendList"));
    const int row = list ? ListRows::selectedRow(*list) : -1;
    return row >= 0 && static_cast<std::size_t>(row) < mEntries.size() ? &mEntries[static_cast<std::size_t>(row)]
                                                                       : nullptr;
}

std::string FriendsTab::typed(const char* widget) const
{
    const CEGUI::Window* w = child(widget);
    return w ? fromCeguiString(w->getText()) : std::string();
}

namespace {
/// The typed list number, 1 when it is none of 1 to 3.
int groupOf(const std::string& text) { return text == "2" ? 2 : text == "3" ? 3 : 1; }
} // namespace

void FriendsTab::send(int eventId, std::initializer_list<ParamNode> values)
{
    ParamStore& store = params();
    store.clear(PlayerPage::kKind);
    for (const ParamNode& value : values)
        store.set(PlayerPage::kKind, value);
    dispatcher().callback(eventId, store.handle(PlayerPage::kKind));
}

void FriendsTab::add()
{
    const std::string nick = typed("Nick");
    if (!nick.empty())
        send(kRosterEventId, {ParamNode::integer("type", 1), ParamNode::text("uid", ""), ParamNode::text("nick", nick),
                              ParamNode::integer("group", groupOf(typed("Group")))});
}

void FriendsTab::move()
{
    if (const FriendPlayer* f = picked())
        send(kRosterEventId, {ParamNode::integer("type", 2), ParamNode::text("fuid", f->attr.member_name),
                              ParamNode::integer("fgroup", groupOf(typed("Group")))});
}

void FriendsTab::remove()
{
    if (const FriendPlayer* f = picked())
        send(kRosterEventId, {ParamNode::integer("type", 3), ParamNode::text("fuid", f->attr.member_name)});
}

void FriendsTab::profile()
{
    if (const FriendPlayer* f = picked())
        send(kProfileEventId, {ParamNode::text("jid", f->displayName)});
}

void FriendsTab::invite()
{
    if (const FriendPlayer* f = picked())
        send(kGuildInviteEventId, {ParamNode::integer("gid", mOwnGuild), ParamNode::integer("pcid", f->attr.pc_id)});
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
