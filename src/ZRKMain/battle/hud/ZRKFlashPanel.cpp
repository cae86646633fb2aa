#include "battle/hud/ZRKFlashPanel.h"

#include <cfloat>
#include <cmath>
#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <core/BlackBoard.h>
#include <core/Frame.h>
#include <misc/PosTo2D.h>
#include <yake/Time.h>
#include "battle/BattleRoom.h"
#include "rooms/CeguiWidgets.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
CEGUI::UDim px(float v) { return CEGUI::UDim(0.0f, v); }
float now() { return static_cast<float>(yake::native::getTime()); }
} // namespace

ZRKFlashPanel::ZRKFlashPanel(BattleRoom* room) : core::CEGUIPanel(GameServices::frame()), mRoom(room) {}

ZRKFlashPanel::~ZRKFlashPanel()
{
    try {
        destroyWindow();
    } catch (const std::exception& e) {
        writeLog(kLogError, "flash", std::string("Flash layer not destroyed: ") + e.what());
    }
}

bool ZRKFlashPanel::createWindow()
{
    core::CEGUIPanelContainer* container = getContainer();
    CEGUI::Window* top = container ? container->getTopWindow() : nullptr;
    if (!top || !CeguiWidgets::alive(top) || !CEGUI::WindowManager::getSingletonPtr())
        return false;
    if (mWindow)
        return true;
    CEGUI::Window* w = nullptr;
    try {
        w = CEGUI::WindowManager::getSingleton().createWindow("DefaultWindow");
        // Over everything, never raised by a click and never in the way of one.
        w->setZOrderingEnabled(false);
        w->setRiseOnClickEnabled(false);
        w->setMousePassThroughEnabled(true);
        w->setAlwaysOnTop(true); // over the battle bar
        w->setArea(CEGUI::URect(CEGUI::UDim(0, 0), CEGUI::UDim(0, 0), CEGUI::UDim(1, 0), CEGUI::UDim(1, 0)));
        w->hide();
        top->addChild(w);
    } catch (const std::exception& e) {
        writeLog(kLogError, "flash", std::string("Flash layer not made: ") + e.what());
        CeguiWidgets::destroy(w);
        return false;
    }
    mWindow = w;
    return true;
}

void ZRKFlashPanel::destroyWindow()
{
    clearFlashes();
    CeguiWidgets::destroy(mWindow);
    mWindow = nullptr;
}

CEGUI::Window* ZRKFlashPanel::addFlash(const std::string& name, const std::string& key, int width, int height,
                                       Ogre::SceneNode* node, float duration)
{
    if (mSkip == -1) {
        core::BlackBoard* board = core::BlackBoard::getSingletonPtr();
        mSkip = board && board->getBool("kavri3D/skip/BattleFlash", false) ? 1 : 0;
    }
    if (mSkip == 1 || name.empty() || !mWindow || !CeguiWidgets::alive(mWindow))
        return nullptr;
    Entry e;
    e.name = name;
    e.key = key;
    e.endTime = duration > 0.0f && std::isfinite(duration) ? now() + duration : FLT_MAX;
    e.width = width;
    e.height = height;
    e.flash.reset(new core::CEGUIFlash);
    if (!e.flash->create(name, std::to_string(mNextNumber++), width, height, nullptr))
        return nullptr;
    e.window = e.flash->getWindow();
    e.window->setSize(CEGUI::USize(px(static_cast<float>(width)), px(static_cast<float>(height))));
    if (node) {
        e.follow = true;
        const Ogre::Vector3 p = node->_getDerivedPosition();
        e.point = yake::math::Vector3(p.x, p.y + 2.5f, p.z);
        place(e);
    } else {
        e.window->setPosition(CEGUI::UVector2(CEGUI::UDim(0.5f, -width / 2.0f), CEGUI::UDim(0.5f, -height / 2.0f)));
    }
    CEGUI::Window* window = e.window;
    mWindow->addChild(window);
    mEntries.push_back(std::move(e));
    show(true);
    return window;
}

void ZRKFlashPanel::place(Entry& e)
{
    CEGUI::Vector2f at;
    if (CEGUI::PosTo2D(mRoom ? mRoom->getCamera() : nullptr, e.point, at))
        e.window->setPosition(
            CEGUI::UVector2(CEGUI::UDim(at.d_x, -e.width / 2.0f), CEGUI::UDim(at.d_y, -e.height / 2.0f)));
    else
        e.window->setPosition(CEGUI::UVector2(CEGUI::UDim(1.0f, 0.0f), CEGUI::UDim(1.0f, 0.0f)));
}

void ZRKFlashPanel::revokeFlash(const std::string& name, const std::string& key)
{
    for (auto it = mEntries.begin(); it != mEntries.end();)
        it = it->name == name && it->key == key ? mEntries.erase(it) : std::next(it);
}

void ZRKFlashPanel::removeFlashByWindow(CEGUI::Window* window)
{
    for (auto it = mEntries.begin(); it != mEntries.end(); ++it)
        if (it->window == window) {
            mEntries.erase(it);
            return;
        }
}

void ZRKFlashPanel::update()
{
    const float t = now();
    for (auto it = mEntries.begin(); it != mEntries.end();) {
        // A movie whose window went with its parent is dropped with it.
        if (!it->flash || !it->flash->getWindow() || (it->endTime > 0.0f && it->endTime < t)) {
            it = mEntries.erase(it);
            continue;
        }
        if (it->follow)
            place(*it);
        ++it;
    }
    if (mEntries.empty())
        clearFlashes();
}

void ZRKFlashPanel::clearFlashes()
{
    mEntries.clear();
    if (mWindow && CeguiWidgets::alive(mWindow))
        show(false);
}

} // namespace zrk
} // namespace kavri3D
