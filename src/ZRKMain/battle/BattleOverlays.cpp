#include "battle/BattleOverlays.h"

#include "battle/BattleRoom.h"
#include "battle/hud/BattlePrompts.h"
#include "battle/hud/ZRKFlashPanel.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
const char* const kChannel = "room";
}

BattleOverlays::BattleOverlays(BattleRoom& room) : mRoom(room) {}

BattleOverlays::~BattleOverlays() = default;

void BattleOverlays::showPrompt(const std::string& image, bool pulse, float x, float y, float duration)
{
    if (!mPrompts)
        mPrompts.reset(new BattlePrompts);
    mPrompts->show(image, pulse, x, y, duration);
}

void BattleOverlays::showPromptScattered(const std::string& image, float duration)
{
    const float u = mRoom.getRandom().uniform();
    const float v = mRoom.getRandom().uniform();
    mRoom.showPrompt(image, false, (u - 0.5f) * 0.2f + 0.5f, (v - 0.5f) * 0.2f + 0.5f, duration);
}

CEGUI::Window* BattleOverlays::showFlash(const std::string& name, const std::string& key, int width, int height,
                                         Ogre::SceneNode* node, float duration)
{
    return mFlashPanel ? mFlashPanel->addFlash(name, key, width, height, node, duration) : nullptr;
}

void BattleOverlays::revokeFlash(const std::string& name, const std::string& key)
{
    if (mFlashPanel)
        mFlashPanel->revokeFlash(name, key);
}

void BattleOverlays::removeFlashByWindow(CEGUI::Window* window)
{
    if (mFlashPanel)
        mFlashPanel->removeFlashByWindow(window);
}

bool BattleOverlays::hasFlash(const std::string& name, const std::string& key) const
{
    if (mFlashPanel)
        for (const ZRKFlashPanel::Entry& e : mFlashPanel->getEntries())
            if (e.name == name && e.key == key)
                return true;
    return false;
}

void BattleOverlays::update()
{
    if (mFlashPanel && mFlashPanel->isVisible())
        mFlashPanel->update();
    if (mPrompts)
        mPrompts->update();
}

void BattleOverlays::clear()
{
    if (mFlashPanel)
        mFlashPanel->clearFlashes();
    destroyPrompts();
}

void BattleOverlays::destroyPrompts()
{
    if (mPrompts)
        mPrompts->destroy();
}

void BattleOverlays::createFlashPanel()
{
    if (mFlashPanel)
        return;
    mFlashPanel.reset(new ZRKFlashPanel(&mRoom));
    if (!mFlashPanel->createWindow()) {
        writeLog(kLogWarning, kChannel, "no main frame: the battle shows no Flash overlays");
        mFlashPanel.reset();
    }
}

void BattleOverlays::destroyFlashPanel()
{
    if (mFlashPanel)
        mFlashPanel->destroyWindow();
    mFlashPanel.reset();
}

} // namespace zrk
} // namespace kavri3D
