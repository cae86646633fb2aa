#include "StrengthenTab.h"

#include <CEGUI/CEGUI.h>
#include <boost/any.hpp>

#include "EventDispatcher.h"
#include "ListRows.h"
#include "ParamStore.h"
#include "PlayerPage.h"

namespace kavri3D {
namespace zrk {
namespace gui {

void StrengthenTab::build(CEGUI::Window& pane)
{
    auto* list = static_cast<CEGUI::MultiColumnList*>(
        addWidget(pane, "TaharezLook/MultiColumnList", "StrList", "", 0.0f, 0.0f, 1.0f, 0.90f));
    ListRows::addColumns(*list, {{"Item", 0.5f}, {"Price", 0.45f}});
    list->setSelectionMode(CEGUI::MultiColumnList::RowSingle);
    CEGUI::Window* note = addWidget(pane, "TaharezLook/StaticText", "StrNote", "", 0.0f, 0.91f, 1.0f, 0.08f);
    note->setProperty("FrameEnabled", "false");
    note->setProperty("BackgroundEnabled", "false");
    show();
}

void StrengthenTab::onSelected()
{
    if (dispatcher().find(kListEventId))
        dispatcher().callback(kListEventId, params().handle(PlayerPage::kKind));
}

void StrengthenTab::onFilled(int eventId, ParamList& list)
{
    if (eventId != kListEventId)
        return;
    for (const ParamNode* node : list)
        if (const auto* entries =
                node && node->name == "strlist" ? boost::any_cast<std::vector<ShopData>>(&node->value) : nullptr) {
            mEntries = *entries;
            show();
        }
}

void StrengthenTab::show()
{
    std::vector<std::vector<std::string>> rows;
    for (const ShopData& e : mEntries)
        rows.push_back({e.i_name.empty() ? "Item " + std::to_string(e.i_id) : e.i_name,
                        e.prices.empty() ? std::string("not on sale") : PlayerPage::optionText(e.prices.front())});
    if (auto* list = static_cast<CEGUI::MultiColumnList*>(child("StrList")))
        ListRows::fill(*list, rows);
    if (CEGUI::Window* note = child("StrNote"))
        note->setText(mEntries.empty() ? "No strengthening goods listed." : "");
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
