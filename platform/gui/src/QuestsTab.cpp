#include "QuestsTab.h"

#include <CEGUI/CEGUI.h>
#include <gui/BagData.h>
#include <gui/IGuiWrapper.h>
#include <json/json.h>

#include <text/CeguiText.h>
#include "EventDispatcher.h"
#include "ListRows.h"
#include "ParamStore.h"
#include "PlayerPage.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
const int kDone = 32;
} // namespace

QuestsTab::QuestsTab(PlayerPage& page) : PlayerTab(page) {}

QuestsTab::~QuestsTab() = default;

std::string QuestsTab::stateText(int state)
{
    if (state & 64)
        return "Rewarded";
    if (state & kDone)
        return "Done: claim it";
    if (state & 16)
        return "Running";
    return "-";
}

std::string QuestsTab::itemName(int itemId)
{
    IGuiWrapper* game = page().game();
    const std::string name = game ? game->getItemRecord(itemId).i_name : std::string();
    return name.empty() ? "Item " + std::to_string(itemId) : name;
}

void QuestsTab::build(CEGUI::Window& pane)
{
    auto* list = static_cast<CEGUI::MultiColumnList*>(
        addWidget(pane, "TaharezLook/MultiColumnList", "QuestList", "", 0.0f, 0.0f, 1.0f, 0.45f));
    ListRows::addColumns(*list, {{"Quest", 0.4f}, {"Goal", 0.3f}, {"State", 0.28f}});
    list->setSelectionMode(CEGUI::MultiColumnList::RowSingle);
    keep(list->subscribeEvent(CEGUI::MultiColumnList::EventSelectionChanged, [this, list](const CEGUI::EventArgs&) {
        const int row = ListRows::selectedRow(*list);
        if (row >= 0 && row != mPicked)
            selectQuest(static_cast<std::size_t>(row));
        return true;
    }));
    CEGUI::Window* info = addWidget(pane, "TaharezLook/StaticText", "QuestInfo", "", 0.0f, 0.47f, 1.0f, 0.2f);
    info->setProperty("HorzFormatting", "WordWrapLeftAligned");
    info->setProperty("VertFormatting", "TopAligned");
    auto* objects =
        static_cast<CEGUI::Listbox*>(addWidget(pane, "TaharezLook/Listbox", "Objects", "", 0.0f, 0.69f, 0.6f, 0.3f));
    keep(objects->subscribeEvent(CEGUI::Listbox::EventSelectionChanged, [this, objects](const CEGUI::EventArgs&) {
        if (CEGUI::ListboxItem* item = objects->getFirstSelectedItem())
            mObject = static_cast<int>(objects->getItemIndex(item));
        return true;
    }));
    CEGUI::Window* claimButton = addWidget(pane, "TaharezLook/Button", "Claim", "Claim", 0.65f, 0.69f, 0.35f, 0.1f);
    keep(claimButton->subscribeEvent(CEGUI::PushButton::EventClicked, [this](const CEGUI::EventArgs&) {
        claim();
        return true;
    }));
    showRows();
}

void QuestsTab::onSelected()
{
    refresh(); // what the game knows now, while the fresh list is on its way
    dispatcher().callback(kLoadEventId, params().handle(PlayerPage::kKind));
}

void QuestsTab::onFilled(int eventId, ParamList&)
{
    if (eventId == kLoadEventId || eventId == kListEventId)
        refresh();
}

void QuestsTab::refresh()
{
    IGuiWrapper* game = page().game();
    const QuestBook book = game ? game->getQuestBook() : QuestBook();
    const long picked = mPicked >= 0 && static_cast<std::size_t>(mPicked) < mRows.size() ? mRows[mPicked].id : 0;
    mRows = QuestRows::read(book.library, book.mine);
    // The quest picked stays picked when it is still listed.
    mPicked = -1;
    for (std::size_t i = 0; i < mRows.size(); ++i)
        if (mRows[i].id == picked)
            mPicked = static_cast<int>(i);
    showRows();
}

std::vector<std::vector<std::string>> QuestsTab::lines() const
{
    std::vector<std::vector<std::string>> out;
    for (const QuestRow& r : mRows)
        out.push_back({r.name, QuestRows::progressText(r), stateText(r.state)});
    return out;
}

void QuestsTab::showRows()
{
    if (auto* list = static_cast<CEGUI::MultiColumnList*>(child("QuestList"))) {
        ListRows::fill(*list, lines());
        if (mPicked >= 0 && static_cast<unsigned>(mPicked) < list->getRowCount())
            list->setItemSelectState(CEGUI::MCLGridRef(static_cast<unsigned>(mPicked), 0), true);
    }
    showPicked();
}

bool QuestsTab::selectQuest(std::size_t row)
{
    if (row >= mRows.size())
        return false;
    if (mPicked != static_cast<int>(row))
        mObject = -1;
    mPicked = static_cast<int>(row);
    showPicked();
    return true;
}

bool QuestsTab::chooseObject(std::size_t index)
{
    if (mPicked < 0 || index >= mRows[mPicked].objects.size())
        return false;
    mObject = static_cast<int>(index);
    if (auto* objects = static_cast<CEGUI::Listbox*>(child("Objects")))
        if (index < objects->getItemCount())
            objects->setItemSelectState(index, true);
    return true;
}

void QuestsTab::showPicked()
{
    const QuestRow* row = mPicked >= 0 ? &mRows[mPicked] : nullptr;
    if (CEGUI::Window* info = child("QuestInfo"))
        info->setText(outsideText(row ? row->name + ": " + row->desc + "\n" + QuestRows::progressText(*row) +
                                            "\nReward: " + QuestRows::rewardText(*row)
                                      : std::string("Pick a quest.")));
    std::vector<std::string> names;
    if (row)
        for (int id : row->objects)
            names.push_back(itemName(id));
    if (auto* objects = static_cast<CEGUI::Listbox*>(child("Objects"))) {
        ListRows::setLines(*objects, names);
        if (mObject >= 0 && static_cast<std::size_t>(mObject) < objects->getItemCount())
            objects->setItemSelectState(static_cast<std::size_t>(mObject), true);
    }
    if (CEGUI::Window* button = child("Claim"))
        button->setEnabled(row && (row->state & kDone) && !(row->state & 64));
}

bool QuestsTab::claim()
{
    if (mPicked < 0)
        return false;
    const QuestRow& row = mRows[mPicked];
    if (!(row.state & kDone) || (row.state & 64))
        return false;
    const int object =
        mObject >= 0 && static_cast<std::size_t>(mObject) < row.objects.size() ? row.objects[mObject] : 0;
    params().clear(PlayerPage::kKind);
    params().set(PlayerPage::kKind, ParamNode::integer("objid", object));
    params().set(PlayerPage::kKind,
                 ParamNode("q_id", row.id, static_cast<std::int32_t>(sizeof(long)), ParamNode::Integer));
    dispatcher().callback(kRewardEventId, params().handle(PlayerPage::kKind));
    return true;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
