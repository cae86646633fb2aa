#include "hikari/HikariPane.h"

#include <core/GuiManager.h>

namespace kavri3D {
namespace core {

HikariPane::HikariPane(const std::string& name, bool withFlash)
    : mName(name), mFlash(withFlash ? new Hikari::FlashControl : nullptr)
{
    if (GuiManager* g = GuiManager::getSingletonPtr())
        g->firePaneEvent(this, 0);
}

HikariPane::~HikariPane()
{
    if (GuiManager* g = GuiManager::getSingletonPtr())
        g->firePaneEvent(this, 1);
}

void HikariPane::setFocused(bool focused)
{
    if (GuiManager* g = GuiManager::getSingletonPtr())
        g->firePaneEvent(this, focused ? 2 : 3);
}

} // namespace core
} // namespace kavri3D
