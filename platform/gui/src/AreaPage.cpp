#include "AreaPage.h"

#include <CEGUI/CEGUI.h>
#include <algorithm>
#include <core/NetClientManager.h>
#include <gui/AreaData.h>
#include <gui/ParamNode.h>
#include <gui/RoleAttr.h>

#include <text/CeguiText.h>
#include "EventDispatcher.h"
#include "GuiLog.h"
#include "ListRows.h"
#include "ParamStore.h"

namespace kavri3D {
namespace zrk {
namespace gui {

AreaPage::AreaPage(const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent,
                   EventDispatcher& dispatcher, std::function<void()> openForge, std::function<void()> openBag,
                   std::function<void()> openShop)
    : GuiPage(kKind, windowName, title, params, std::move(parent)), mDispatcher(dispatcher),
      mOpenForge(std::move(openForge)), mOpenBag(std::move(openBag)), mOpenShop(std::move(openShop)),
      mVolumes(kKind, params, dispatcher)
{
    setFrameArea(0.25f, 0.2f, 0.75f, 0.8f);
}

AreaPage::~AreaPage() = default;

namespace {
// The column beside the zones: the shop, the news, the tiles and the volumes.
const float kSideX = 0.78f, kSideWidth = 0.18f;
} // namespace

void AreaPage::addButton(CEGUI::Window& frame, const char* name, const char* text, float x, float y, float w, float h,
                         std::function<void()> action)
{
    mButtonConnections.emplace_back(
        addWidget(frame, "TaharezLook/Button", name, text, x, y, w, h)
            ->subscribeEvent(CEGUI::PushButton::EventClicked, [action = std::move(action)](const CEGUI::EventArgs&) {
                try {
                    action();
                } catch (const std::exception& e) {
                    guiLog(Severity::Error, "area page button failed: ", e.what());
                }
                return true;
            }));
}

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
        addWidget(frame, "TaharezLook/MultiColumnList", "Zones", "", 0.04f, 0.04f, 0.48f, 0.76f));
    ListRows::addColumns(*list, {{"Area", 0.5f}, {"Players", 0.25f}, {"Levels", 0.2f}});
    list->setSelectionMode(CEGUI::MultiColumnList::RowSingle);
    mClickedConnection = addWidget(frame, "TaharezLook/Button", "Enter", "Enter", 0.6f, 0.84f, 0.36f, 0.11f)
                             ->subscribeEvent(CEGUI::PushButton::EventClicked,
                                              CEGUI::Event::Subscriber(&AreaPage::onEnterClicked, this));
    mBagConnection = addWidget(frame, "TaharezLook/Button", "Bag", "Bag", 0.04f, 0.84f, 0.17f, 0.11f)
                         ->subscribeEvent(CEGUI::PushButton::EventClicked, [this](const CEGUI::EventArgs&) {
                             if (mOpenBag)
                                 mOpenBag();
                             return true;
                         });
    // Beside the zones, some of the players about; the backdrop's foot stays free below both.
    addWidget(frame, "TaharezLook/Listbox", "Members", "", 0.54f, 0.04f, 0.22f, 0.76f);
    mLogOutConnection = addWidget(frame, "TaharezLook/Button", "LogOut", "Log out", kSideX, 0.48f, kSideWidth, 0.09f)
                            ->subscribeEvent(CEGUI::PushButton::EventClicked, [this](const CEGUI::EventArgs&) {
                                logOut();
                                return true;
                            });
    // The shop stands beside the zones, leaving the backdrop's foot free below them.
    mShopConnection = addWidget(frame, "TaharezLook/Button", "Shop", "Shop", 0.78f, 0.04f, 0.18f, 0.11f)
                          ->subscribeEvent(CEGUI::PushButton::EventClicked, [this](const CEGUI::EventArgs&) {
                              if (mOpenShop)
                                  mOpenShop();
                              return true;
                          });
    mForgeConnection = addWidget(frame, "TaharezLook/Button", "Forge", "Forge", 0.23f, 0.84f, 0.17f, 0.11f)
                           ->subscribeEvent(CEGUI::PushButton::EventClicked, [this](const CEGUI::EventArgs&) {
                               if (mOpenForge)
                                   mOpenForge();
                               return true;
                           });
    mButtonConnections.clear(); // the buttons of a frame built before
    addButton(frame, "News", "News", kSideX, 0.17f, kSideWidth, 0.09f, [this] { showNews(true); });
    addButton(frame, "Hide", "Hide", kSideX, 0.27f, kSideWidth, 0.09f, [this] { showNews(false); });
    addButton(frame, "Tiles", "Tiles", kSideX, 0.37f, kSideWidth, 0.09f, [this] { openTiles(); });
    mVolumes.build(frame, kSideX, 0.59f, kSideWidth, 0.23f);
    buildTileScreen(frame);
    mHelp.build(frame);
}

void AreaPage::buildTileScreen(CEGUI::Window& frame)
{
    // In the zones' place, made last so that it draws above them; hidden until the game asks for it.
    CEGUI::Window* screen = CEGUI::WindowManager::getSingleton().createWindow("TaharezLook/FrameWindow", "TileScreen");
    screen->setArea(
        CEGUI::URect(CEGUI::UDim(0.04f, 0), CEGUI::UDim(0.04f, 0), CEGUI::UDim(0.76f, 0), CEGUI::UDim(0.80f, 0)));
    screen->setText("Tiles");
    auto* fw = static_cast<CEGUI::FrameWindow*>(screen);
    fw->setCloseButtonEnabled(false);
    fw->setSizingEnabled(false);
    fw->setDragMovingEnabled(false);
    screen->setVisible(false);
    frame.addChild(screen);
    addWidget(*screen, "TaharezLook/Listbox", "TileList", "", 0.04f, 0.04f, 0.92f, 0.70f);
    addWidget(*screen, "TaharezLook/StaticText", "TileNote", "", 0.04f, 0.77f, 0.60f, 0.18f)
        ->setProperty("FrameEnabled", "false");
    addButton(*screen, "TileClose", "Close", 0.70f, 0.78f, 0.26f, 0.17f, [this] {
        if (CEGUI::Window* frame = window(); frame && frame->isChild("TileScreen"))
            frame->getChild("TileScreen")->setVisible(false);
    });
}

bool AreaPage::showNews(bool over)
{
    core::NetClientManager* net = core::NetClientManager::getSingletonPtr();
    const std::string address = net ? net->getApplicationPath() : core::NetClientManager::getRunApplicationPath();
    if (address.empty()) {
        guiLog(Severity::Warning, "no news: the game has no web address");
        return false;
    }
    params().set(kKind, ParamNode::text("url", address + kNewsPage));
    params().set(kKind, ParamNode::integer("window", over ? kViewOver : kViewParked));
    // The page takes the lists' place: the buttons beside them, "Hide" among them, stay free.
    CEGUI::Window* frame = window();
    CEGUI::Rectf lists;
    if (frame && frame->isChild("Zones") && frame->isChild("Members")) {
        const CEGUI::Rectf zones = frame->getChild("Zones")->getUnclippedOuterRect().get();
        const CEGUI::Rectf members = frame->getChild("Members")->getUnclippedOuterRect().get();
        lists = CEGUI::Rectf(zones.left(), zones.top(), members.right(), std::max(zones.bottom(), members.bottom()));
    }
    const int place[4] = {static_cast<int>(lists.left()), static_cast<int>(lists.top()),
                          static_cast<int>(lists.getWidth()), static_cast<int>(lists.getHeight())};
    const char* const names[4] = {"left", "top", "width", "height"};
    for (int i = 0; i < 4; ++i)
        params().set(kKind, ParamNode::integer(names[i], place[i]));
    return mDispatcher.callback(kWebViewEventId, params().handle(kKind));
}

bool AreaPage::openTiles() { return mDispatcher.callback(kTilesEventId, params().handle(kKind)); }

void AreaPage::load(double now)
{
    mNextRefresh = now + kRefreshSeconds;
    mDispatcher.callback(kLoadingEventId, params().handle(kKind));
    mDispatcher.callback(kMembersEventId, params().handle(kKind));
}

bool AreaPage::logOut() { return mDispatcher.callback(kLogOutEventId, params().handle(kKind)); }

void AreaPage::onFrame(double now)
{
    CEGUI::Window* frame = window();
    if (!frame || !frame->isVisible() || now < mNextRefresh)
        return;
    // The zones' counts move; the players about are drawn anew only when the page comes up.
    mNextRefresh = now + kRefreshSeconds;
    mDispatcher.callback(kLoadingEventId, params().handle(kKind));
}

void AreaPage::onFilled(int eventId, ParamList& list)
{
    if (eventId == kTilesEventId) {
        // The game configures no tiles yet: the screen comes up empty.
        CEGUI::Window* frame = window();
        if (CEGUI::Window* screen = frame && frame->isChild("TileScreen") ? frame->getChild("TileScreen") : nullptr) {
            static_cast<CEGUI::Listbox*>(screen->getChild("TileList"))->resetList();
            screen->getChild("TileNote")->setText("No tiles set.");
            screen->setVisible(true);
            screen->activate();
        }
        return;
    }
    if (eventId == kMembersEventId) {
        showMembers(list);
        return;
    }
    if (eventId != kLoadingEventId)
        return;
    // The player's choice stays chosen across refreshes.
    CEGUI::Window* frame = window();
    auto* zones = frame ? static_cast<CEGUI::MultiColumnList*>(frame->getChild("Zones")) : nullptr;
    const int selected = zones ? ListRows::selectedRow(*zones) : -1;
    const int chosenId = selected >= 0 && selected < static_cast<int>(mZones.size()) ? mZones[selected].id : -1;
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
    if (!zones)
        return;
    ListRows::fill(*zones, rows);
    for (std::size_t i = 0; i < mZones.size(); ++i)
        if (mZones[i].id == chosenId)
            zones->setItemSelectState(CEGUI::MCLGridRef(static_cast<CEGUI::uint>(i), 0), true);
}

void AreaPage::showMembers(ParamList& list)
{
    std::vector<std::string> lines;
    for (const ParamNode* n : list) {
        const auto* roles = n && n->name == "roles" ? boost::any_cast<std::vector<RoleAttr>>(&n->value) : nullptr;
        for (std::size_t i = 0; roles && i < roles->size() && lines.size() < kMembersShown; ++i) {
            const RoleAttr& r = (*roles)[i];
            lines.push_back((r.pc_nickname.empty() ? r.member_name : r.pc_nickname) + "  (Lv " +
                            std::to_string(r.pc_lv) + ")");
        }
    }
    if (CEGUI::Window* frame = window(); frame && frame->isChild("Members"))
        ListRows::setLines(*static_cast<CEGUI::Listbox*>(frame->getChild("Members")), lines);
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
        guiLog(Severity::Error, "entering an area failed: ", e.what());
    }
    return true;
}

bool AreaPage::enter(std::size_t row)
{
    if (row >= mZones.size())
        return false;
    const Zone& zone = mZones[row];
    params().set(kKind, ParamNode::integer("z_id", zone.id));
    params().set(kKind, ParamNode::text("cryRoomName", zone.name + "_cry"));
    params().set(kKind, ParamNode::text("guildRoomName", ""));
    return mDispatcher.callback(kGoEventId, params().handle(kKind));
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
