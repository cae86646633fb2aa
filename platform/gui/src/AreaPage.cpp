#include "AreaPage.h"

#include <CEGUI/CEGUI.h>
#include <gui/AreaData.h>

#include "CeguiText.h"
#include "EventDispatcher.h"
#include "GuiLog.h"
#include "ListRows.h"
#include "ParamStore.h"

namespace kavri3D {
namespace zrk {
namespace gui {

AreaPage::AreaPage(const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent,
                   EventDispatcher& dispatcher)
    : GuiPage(kKind, windowName, title, params, std::move(parent)), mDispatcher(dispatcher)
{
    setFrameArea(0.25f, 0.2f, 0.75f, 0.8f);
}

AreaPage::~AreaPage() { mClickedConnection.disconnect(); }

void AreaPage::buildContent(CEGUI::Window& frame)
{
    // The lobby's own backdrop once its GUI resources are loaded; without it the plain look.
    if (CEGUI::ImageManager::getSingleton().isDefined(kBackdropImage)) {
        CEGUI::Window* backdrop = addWidget(frame, "TaharezLook/StaticImage", "Backdrop", "", 0.f, 0.f, 1.f, 1.f);
        backdrop->setProperty("Image", kBackdropImage);
        backdrop->setProperty("FrameEnabled", "False");
        backdrop->setProperty("BackgroundEnabled", "False");
        backdrop->setProperty("MousePassThroughEnabled", "True");
    }
    auto* list = static_cast<CEGUI::MultiColumnList*>(
        addWidget(frame, "TaharezLook/MultiColumnList", "Zones", "", 0.04f, 0.04f, 0.92f, 0.76f));
    ListRows::addColumns(*list, {{"Area", 0.5f}, {"Players", 0.25f}, {"Levels", 0.2f}});
    list->setSelectionMode(CEGUI::MultiColumnList::RowSingle);
    mClickedConnection.disconnect();
    mClickedConnection = addWidget(frame, "TaharezLook/Button", "Enter", "Enter", 0.6f, 0.84f, 0.36f, 0.11f)
                             ->subscribeEvent(CEGUI::PushButton::EventClicked,
                                              CEGUI::Event::Subscriber(&AreaPage::onEnterClicked, this));
}

void AreaPage::load() { mDispatcher.callback(kLoadingEventId, params().handle(kKind)); }

void AreaPage::onFilled(int eventId, ParamList& list)
{
    if (eventId != kLoadingEventId)
        return;
    mZones.clear();
    std::vector<std::vector<std::string>> rows;
    for (const ParamNode* n : list) {
        const AreaData* area = n ? boost::any_cast<AreaData>(&n->value) : nullptr;
        if (!area)
            continue;
        mZones.push_back(Zone{area->zoneId, area->zoneName});
        rows.push_back({area->zoneName, std::to_string(area->occupancy) + " / " + std::to_string(area->capacity),
                        area->levelLimit > 0 ? "up to " + std::to_string(area->levelLimit) : "any"});
    }
    if (CEGUI::Window* frame = window())
        ListRows::fill(*static_cast<CEGUI::MultiColumnList*>(frame->getChild("Zones")), rows);
}

bool AreaPage::onEnterClicked(const CEGUI::EventArgs&)
{
    try {
        CEGUI::Window* frame = window();
        auto* list = frame ? static_cast<CEGUI::MultiColumnList*>(frame->getChild("Zones")) : nullptr;
        const int row = list ? ListRows::selectedRow(*list) : -1;
        if (row >= 0)
            enter(static_cast<std::size_t>(row));
    } catch (const std::exception& e) {
        guiLog(3, "entering an area failed: ", e.what());
    }
    return true;
}

bool AreaPage::enter(std::size_t row)
{
    if (row >= mZones.size())
        return false;
    const Zone& zone = mZones[row];
    params().set(kKind, ListRows::intNode("z_id", zone.id));
    params().set(kKind, ListRows::stringNode("cryRoomName", zone.name + "_cry"));
    params().set(kKind, ListRows::stringNode("guildRoomName", ""));
    return mDispatcher.callback(kGoEventId, params().handle(kKind));
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
