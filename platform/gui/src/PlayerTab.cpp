#include "PlayerTab.h"

#include <CEGUI/CEGUI.h>

#include "PlayerPage.h"

namespace kavri3D {
namespace zrk {
namespace gui {

PlayerTab::PlayerTab(PlayerPage& page) : mPage(page) {}

PlayerTab::~PlayerTab() = default;

CEGUI::Window* PlayerTab::pane() const { return mPage.tabPane(name()); }

CEGUI::Window* PlayerTab::child(const std::string& childName) const
{
    CEGUI::Window* p = pane();
    if (!p || childName.empty())
        return nullptr;
    const CEGUI::String path = CEGUI::String(childName.c_str());
    return p->isChild(path) ? p->getChild(path) : nullptr;
}

bool PlayerTab::isSelected() const { return mPage.selectedTab() == name(); }

EventDispatcher& PlayerTab::dispatcher() { return mPage.dispatcher(); }

ParamStore& PlayerTab::params() { return mPage.store(); }

CEGUI::Window* PlayerTab::addWidget(CEGUI::Window& pane, const char* type, const char* widgetName,
                                    const std::string& text, float x, float y, float w, float h)
{
    return PlayerPage::placeWidget(pane, type, widgetName, text, x, y, w, h);
}

void PlayerTab::keep(CEGUI::Event::Connection connection) { mConnections.emplace_back(connection); }

void PlayerTab::dropConnections() { mConnections.clear(); }

} // namespace gui
} // namespace zrk
} // namespace kavri3D
