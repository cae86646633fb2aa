#include "battle/hud/ZRKBubblePanel.h"

#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <algorithm>
#include <cmath>
#include <core/Frame.h>
#include <core/GraphicsManager.h>
#include <text/CeguiText.h>
#include <land/ZRKBasicSim.h>
#include <land/ZRKLand.h>
#include <misc/CEGUIAnimationLib.h>
#include <misc/PosTo2D.h>
#include <scene/BasicPlayer.h>

#include "battle/BattleRoom.h"
#include "battle/hud/BubbleInfoProvider.h"
#include "rooms/CeguiWidgets.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

const char* const BattleRoom::ZRKBubblePanel::kContainer = "BubbleContainer";

namespace {
const char* const kChannel = "room";
// Light on the bubble's dark glass, whatever ground is behind it.
const char* const kSteadyFriend = "tl:FF8FD0FF tr:FF8FD0FF bl:FF8FD0FF br:FF8FD0FF";
const char* const kSteadyFoe = "tl:FFFF9A8A tr:FFFF9A8A bl:FFFF9A8A br:FFFF9A8A";
const char* const kBlinkFriend = "tl:FF2ECDB8 tr:FF2ECDB8 bl:FF2ECDB8 br:FF2ECDB8";
const char* const kBlinkFoe = "tl:FFFFAE2E tr:FFFFAE2E bl:FFFFAE2E br:FFFFAE2E";

/// CEGUI names hold no "/": a player id is made safe for one.
std::string windowName(const std::string& id)
{
    std::string name = id.empty() ? std::string("bubble") : id;
    std::replace(name.begin(), name.end(), '/', '_');
    return name;
}

Ogre::Vector3 worldOf(const boost::shared_ptr<core::BasicPlayer>& player)
{
    Ogre::SceneNode* node = player ? player->getMovable() : nullptr;
    return node ? node->_getDerivedPosition() : Ogre::Vector3::ZERO;
}
} // namespace

BattleRoom::ZRKBubblePanel::ZRKBubblePanel(BattleRoom* room, const std::string& namePrefix)
    : core::CEGUIPanel(GameServices::frame()), mRoom(room), mCamera(core::GraphicsManager::getDefaultCamera()),
      mNamePrefix(namePrefix)
{
}

BattleRoom::ZRKBubblePanel::~ZRKBubblePanel()
{
    destroyWindow();
    mProvider.reset();
}

CEGUI::Window* BattleRoom::ZRKBubblePanel::part(const std::string& name) const
{
    return CeguiWidgets::child(mRoot, name);
}

bool BattleRoom::ZRKBubblePanel::createWindow()
{
    core::CEGUIPanelContainer* container = getContainer();
    CEGUI::Window* top = container ? container->getTopWindow() : nullptr;
    if (!mProvider || !CeguiWidgets::alive(top))
        return false;
    try {
        CEGUI::WindowManager& windows = CEGUI::WindowManager::getSingleton();
        mContainer = CeguiWidgets::child(top, kContainer);
        if (!mContainer) {
            mContainer = windows.createWindow("DefaultWindow", kContainer);
            mContainer->setArea(
                CEGUI::URect(CEGUI::UDim(0, 0), CEGUI::UDim(0, 0), CEGUI::UDim(1, 0), CEGUI::UDim(1, 0)));
            mContainer->setMousePassThroughEnabled(true);
            mContainer->setRiseOnClickEnabled(false);
            top->addChild(mContainer);
        }
        mRoot = windows.loadLayoutFromFile(CeguiWidgets::utf8(mProvider->getLayoutName()), CeguiWidgets::kGroup);
        // Named after the sim; a bubble of the same sim on its way out keeps its name a while.
        std::string name = windowName(mNamePrefix);
        while (mContainer->isChild(CeguiWidgets::utf8(name)))
            name += "_";
        mRoot->setName(CeguiWidgets::utf8(name));
        mContainer->addChild(mRoot);
        mBg = part("bg");
        mNameText = part("name");
        mTitleText = part("title");
        mIcon = part("ico");
        mHpText = part("hp");
        mCaromWindow = part("carom");
        mHpBar = part("hpBar");
        mSpText = part("sp");
        mSpBar = part("spBar");
        mDistanceText = part("d");
        mArrow = part("arrow");
        for (int i = 0; i < 3; ++i)
            mBuffs[i] = part("buff" + std::to_string(i + 1));
        if (mArrow)
            mArrow->hide();
        if (mDistanceText) {
            mDistanceText->hide();
            mDistanceText->setText("0M");
        }
        if (mHpBar)
            mHpBarWidth = mHpBar->getPixelSize().d_width;
        if (mSpBar)
            mSpBarWidth = mSpBar->getPixelSize().d_width;
        mRefreshStatic = true;
    } catch (const std::exception& e) {
        writeLog(kLogError, kChannel, "the head bubble of " + mNamePrefix + " cannot be made: " + e.what());
        destroyWindow();
    }
    return mRoot != nullptr;
}

void BattleRoom::ZRKBubblePanel::destroyWindow()
{
    if (mRoot) {
        if (mNameText)
            core::CEGUIAnimationLib::instance().removeWindow(mNameText);
        CeguiWidgets::destroy(mRoot);
    }
    mRoot = mBg = mNameText = mTitleText = mIcon = mHpText = mCaromWindow = mHpBar = mSpText = mSpBar = nullptr;
    mDistanceText = mArrow = nullptr;
    for (CEGUI::Window*& buff : mBuffs)
        buff = nullptr;
    // The last bubble takes the shared container with it.
    if (CeguiWidgets::alive(mContainer) && mContainer->getChildCount() == 0)
        CeguiWidgets::destroy(mContainer);
    mContainer = nullptr;
}

void BattleRoom::ZRKBubblePanel::drawBar(CEGUI::Window* text, CEGUI::Window* bar, float width, int value, int maximum,
                                         int& last, int& lastMax)
{
    if (value == last && maximum == lastMax)
        return;
    last = value;
    lastMax = maximum;
    if (text)
        text->setText(gui::outsideText(std::to_string(value)));
    if (bar) {
        const float ratio = maximum > 0 ? std::min(std::max(static_cast<float>(value) / maximum, 0.0f), 1.0f) : 0.0f;
        bar->setWidth(CEGUI::UDim(0, width * ratio));
    }
}

void BattleRoom::ZRKBubblePanel::refresh()
{
    if (!mProvider || !mRoot)
        return;
    ++mRefreshes;
    if (!mProvider->isShown()) {
        mRoot->hide();
        return;
    }
    mRoot->show();
    if (mRefreshStatic) {
        mRefreshStatic = false;
        // Made here only: a refresh of the numbers alone allocates nothing.
        const CEGUI::String colours = mProvider->getColour() == mViewerColour ? kSteadyFriend : kSteadyFoe;
        if (mNameText) {
            mNameText->setText(gui::outsideText(mProvider->getName()));
            mNameText->setProperty("TextColours", colours);
        }
        if (mIcon) {
            static const char* const kinds[] = {"selboom", "seldef", "selreb"};
            const int level = mProvider->getLevel();
            if (level >= 1 && level <= 3) {
                mIcon->show();
                CeguiWidgets::setImage(mIcon, CeguiWidgets::imageName("pve", kinds[level - 1]));
            } else {
                mIcon->hide();
            }
        }
        if (mCaromWindow)
            mCaromWindow->setProperty("Image", "");
        mCarom = 0;
        if (mTitleText)
            mTitleText->setText(gui::outsideText(mProvider->getTitle()));
        for (CEGUI::Window* w : {mHpText, mSpText, mDistanceText})
            if (w)
                w->setProperty("TextColours", colours);
        CeguiWidgets::setImage(
            mArrow, CeguiWidgets::imageName("block", mProvider->getColour() == 0 ? "redarrow" : "bluearrow"));
    }
    int hp = 0, xhp = 0, sp = 0, xsp = 0;
    mProvider->getHp(hp, xhp);
    drawBar(mHpText, mHpBar, mHpBarWidth, hp, xhp, mLastHp, mLastXhp);

    ZRKLand* land = mRoom ? mRoom->getLand() : nullptr;
    ZRKBasicSim* sim = mProvider->getSim();
    if (mCaromWindow && land && sim) {
        auto& combos = land->getPlayerCombo();
        auto it = combos.find(sim->getPlayerId());
        if (it != combos.end() && it->second.time != 0.0f) {
            if (land->getTimeNow() > it->second.time + 1.5f) {
                setCarom(0);
                if (it->second.count <= -3)
                    it->second.count = 0;
            } else if (it->second.count >= 4) {
                setCarom(it->second.count == 4 ? 1 : it->second.count <= 6 ? 2 : 3);
            }
        }
    }

    mProvider->getSp(sp, xsp);
    drawBar(mSpText, mSpBar, mSpBarWidth, sp, xsp, mLastSp, mLastXsp);

    int slot = 0;
    for (const auto& buff : mProvider->getBuffIcons()) {
        if (buff.second.state == 0 || buff.second.state == 2)
            continue;
        if (slot >= 3)
            break;
        if (mBuffIcons[slot] != buff.second.image) {
            mBuffIcons[slot] = buff.second.image;
            // A buff picture this client lacks shows nothing.
            CeguiWidgets::setImage(mBuffs[slot], buff.second.image);
        }
        ++slot;
    }
    for (; slot < 3; ++slot) {
        if (mBuffIcons[slot].empty())
            continue;
        mBuffIcons[slot].clear();
        CeguiWidgets::setImage(mBuffs[slot], std::string());
    }
}

void BattleRoom::ZRKBubblePanel::setCarom(int level)
{
    // Levels outside 1-3 all show no title; the expired title is cleared every frame by the
    // combo check, so the windows are touched only when what shows changes.
    if (level < 1 || level > 3)
        level = 0;
    if (level == mCarom)
        return;
    mCarom = level;
    if (!mCaromWindow)
        return;
    static const char* const titles[] = {"nice", "cool", "perfect"};
    mCaromWindow->setPosition(CEGUI::UVector2(CEGUI::UDim(0, 0), CEGUI::UDim(0, -40)));
    CeguiWidgets::setImage(mCaromWindow,
                           level >= 1 && level <= 3 ? CeguiWidgets::imageName("title", titles[level - 1]) : "");
    mCaromWindow->setSize(CEGUI::USize(CEGUI::UDim(0, 125), CEGUI::UDim(0, 20)));
}

void BattleRoom::ZRKBubblePanel::update(const boost::shared_ptr<core::BasicPlayer>& player)
{
    if (!mRoot || !player)
        return;
    ++mUpdates;
    for (CEGUI::Window* w : {mDistanceText, mArrow})
        if (w && w->isVisible())
            w->hide(); // the sight shows them again while the sim stays under it
    if (mSkipFrames > 0) {
        --mSkipFrames;
        return;
    }
    const Ogre::Vector3 at = worldOf(player);
    placeAt(yake::math::Vector3(at.x, at.y, at.z));
}

void BattleRoom::ZRKBubblePanel::placeAt(const yake::math::Vector3& p)
{
    mFocusScreen = mHomeScreen = CEGUI::Vector2f(-1, -1);
    if (!mRoot->isVisible())
        return;
    CEGUI::Vector2f focus;
    if (!CEGUI::PosTo2D(mCamera, p + mFocusOffset, focus)) {
        if (!mOffscreen) {
            mRoot->setPosition(CEGUI::UVector2(CEGUI::UDim(-1, 0), CEGUI::UDim(-1, 0)));
            mOffscreen = true;
            mLastX = mLastY = -1.0f;
        }
        mSkipFrames = 6;
        return;
    }
    mFocusScreen = focus;
    mOffscreen = false;
    if (CeguiWidgets::alive(mContainer) && !mContainer->getParent())
        if (CEGUI::Window* top = getContainer() ? getContainer()->getTopWindow() : nullptr)
            top->addChild(mContainer);
    CEGUI::PosTo2D(mCamera, p + mHomeOffset, mHomeScreen);
    float x = focus.d_x, y = focus.d_y;
    const CEGUI::Sizef sheet = CEGUI::System::getSingleton().getDefaultGUIContext().getSurfaceSize();
    const int sw = static_cast<int>(sheet.d_width + 0.5f), sh = static_cast<int>(sheet.d_height + 0.5f);
    if (sw != 0 && sh != 0) {
        const float w = mRoot->getWidth().d_offset / sw, h = mRoot->getHeight().d_offset / sh;
        x -= w / 2.0f;
        y -= h; // the bottom edge sits on the point
        // A figure near the window's edge keeps its whole bubble inside the window, above the
        // battle bar and under a lesson's guide box.
        x = std::min(std::max(x, 0.0f), std::max(1.0f - w, 0.0f));
        y = std::min(std::max(y, mCeiling), std::max(mFloor - h, mCeiling));
    }
    if (x == mLastX && y == mLastY) {
        mSkipFrames = 4;
        return;
    }
    mLastX = x;
    mLastY = y;
    mRoot->setPosition(CEGUI::UVector2(CEGUI::UDim(x, 0), CEGUI::UDim(y, 0)));
}

void BattleRoom::ZRKBubblePanel::setLocked(bool lock)
{
    if (lock == mLocked)
        return;
    const bool friendly = mProvider && mProvider->getColour() == mViewerColour;
    const std::string steady = friendly ? kSteadyFriend : kSteadyFoe;
    const std::string blink = friendly ? kBlinkFriend : kBlinkFoe;
    mLocked = lock;
    if (!mNameText)
        return;
    core::CEGUIAnimationLib& lib = core::CEGUIAnimationLib::instance();
    if (lock) {
        lib.defineLoop("AIMING_ANI1", "AIMING_CLIP1", "TextColours", {steady, blink}, 0.3f);
        lib.addWindow(mNameText, "AIMING_ANI1");
        lib.setAnimationState(mNameText, "AIMING_CLIP1");
        if (mRoot && mRoot->getParent())
            mRoot->moveToFront(); // over the other bubbles
    } else {
        mNameText->setProperty("TextColours", CeguiWidgets::utf8(steady));
        lib.removeWindow(mNameText);
    }
}

void BattleRoom::ZRKBubblePanel::showDistance(const boost::shared_ptr<core::BasicPlayer>& target,
                                              const boost::shared_ptr<core::BasicPlayer>& own, int)
{
    if (!mRoot || !target || !own)
        return;
    const float d = worldOf(target).distance(worldOf(own)) / 3.0f;
    const int n = std::isfinite(d) ? static_cast<int>(std::min(d, 1e9f)) : 0;
    if (mArrow && !mArrow->isVisible())
        mArrow->show();
    if (mDistanceText && !mDistanceText->isVisible())
        mDistanceText->show();
    if (mDistanceText && n != mLastDistance) {
        mLastDistance = n;
        mDistanceText->setText(gui::outsideText(std::to_string(n) + "M"));
    }
}

} // namespace zrk
} // namespace kavri3D
