// Head bubbles and the sight in a headless GUI (CEGUI's null renderer, an OGRE scene graph
// without rendering): bars, buffs, combo titles, lock blink, distance, throttled and
// off-screen placing; the sight's kinds, cool-down digits and the "auto_charge" setting.
#include <gtest/gtest.h>
#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <OgreDefaultHardwareBufferManager.h>
#include <core/BlackBoard.h>
#include <core/Frame.h>
#include <core/GuiManager.h>
#include <core/GuiSystem.h>
#include <text/CeguiText.h>
#include <land/WeaponBag.h>
#include <land/ZRKPlayerSim.h>
#include <misc/CEGUIAnimationLib.h>
#include <scene/BasicPlayer.h>

#include "DisplaysFixture.h"
#include "battle/hud/BubbleInfoProvider.h"
#include "battle/hud/ZRKBubblePanel.h"
#include "battle/hud/ZRKSightingPanel.h"
#include "rooms/CeguiWidgets.h"
#include "services/GameServices.h"
#include "shell/Application.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

/// What a bubble shows, set by the test.
struct FakeInfo : BubbleInfoProvider {
    std::string name = "Brisk", title = "Sharpshooter", layout = "bubble.layout";
    int colour = 1, level = 2, hp = 500, xhp = 1000, sp = 300, xsp = 600;
    bool shown = true;
    ZRKBasicSim::BuffIcons buffs;
    const std::string& getName() const override { return name; }
    const std::string& getTitle() const override { return title; }
    int getColour() const override { return colour; }
    ZRKBasicSim* getSim() const override { return nullptr; }
    int getLevel() const override { return level; }
    void getHp(int& h, int& x) const override { h = hp, x = xhp; }
    void getSp(int& s, int& x) const override { s = sp, x = xsp; }
    const ZRKBasicSim::BuffIcons& getBuffIcons() const override { return buffs; }
    bool isShown() const override { return shown; }
    const std::string& getLayoutName() const override { return layout; }
};

std::string prop(CEGUI::Window* w, const char* name)
{
    return w ? gui::fromCeguiString(w->getProperty(name)) : "<none>";
}
std::string text(CEGUI::Window* w) { return w ? gui::fromCeguiString(w->getText()) : "<none>"; }

/// A headless GUI with the main frame's top window, and an OGRE scene graph with a camera
/// at (0, 0, 10) looking down -Z.
struct BubbleTest : ::testing::Test {
    std::unique_ptr<core::GuiSystem> gui = core::GuiSystem::createHeadless(1000, 500);
    core::BlackBoard board;
    Application app{nullptr, "game.exe"};
    core::Frame mainFrame{app};
    GameServices::FrameLoan loan{mainFrame};
    Ogre::LogManager logs;
    Ogre::Log* log = logs.createLog("bubble-ogre.log", true, false, true);
    Ogre::Root root{"", "", ""};
    Ogre::DefaultHardwareBufferManager buffers;
    Ogre::SceneManager* scene = nullptr;
    Ogre::Camera* camera = nullptr;
    boost::shared_ptr<FakeInfo> info{new FakeInfo};

    BubbleTest()
    {
        mainFrame.create();
        for (const char* set : {"block.imageset", "pve.imageset", "title.imageset"})
            CeguiWidgets::loadImageset(set);
        Ogre::MaterialManager::getSingleton().initialise();
        scene = root.createSceneManager();
        camera = scene->createCamera("eye");
        Ogre::SceneNode* node = scene->getRootSceneNode()->createChildSceneNode();
        node->attachObject(camera);
        node->setPosition(0, 0, 10);
        camera->setAspectRatio(2.0f);
        camera->setNearClipDistance(0.1f);
    }
    ~BubbleTest() override
    {
        mainFrame.destroy();
        root.destroySceneManager(scene); // its camera needs the buffer manager, which goes first
    }
    boost::shared_ptr<core::BasicPlayer> figure(const std::string& name, const Ogre::Vector3& at)
    {
        boost::shared_ptr<core::BasicPlayer> p(new core::BasicPlayer(scene, scene->getRootSceneNode(), name));
        p->getMovable()->setPosition(at);
        return p;
    }
    std::unique_ptr<BattleRoom::ZRKBubblePanel> bubble(const std::string& id = "p1")
    {
        std::unique_ptr<BattleRoom::ZRKBubblePanel> b(new BattleRoom::ZRKBubblePanel(nullptr, id));
        b->setInfoProvider(info);
        b->setViewerColour(1);
        b->setCamera(camera);
        return b;
    }
};

} // namespace

TEST_F(BubbleTest, TheFirstRefreshDrawsTextsBarsAndIconAndAChangedMaximumRedraws)
{
    auto b = bubble();
    EXPECT_FALSE(BattleRoom::ZRKBubblePanel(nullptr, "x").createWindow()); // no provider
    ASSERT_TRUE(b->createWindow());
    CEGUI::Window* container = mainFrame.getTopWindow()->getChild(BattleRoom::ZRKBubblePanel::kContainer);
    EXPECT_EQ(b->getWindow()->getParent(), container);
    EXPECT_EQ(gui::fromCeguiString(b->getWindow()->getName()), "p1");
    EXPECT_FALSE(b->part("arrow")->isVisible());
    EXPECT_EQ(text(b->part("d")), "0M");

    info->hp = 0; // the sentinel: even 0 is drawn the first time
    b->refresh();
    EXPECT_EQ(text(b->part("name")), "Brisk");
    EXPECT_EQ(text(b->part("title")), "Sharpshooter");
    EXPECT_EQ(prop(b->part("name"), "TextColours"), "tl:FF8FD0FF tr:FF8FD0FF bl:FF8FD0FF br:FF8FD0FF"); // a teammate
    EXPECT_EQ(prop(b->part("ico"), "Image"), "pve/seldef");
    EXPECT_EQ(prop(b->part("arrow"), "Image"), "block/bluearrow");
    EXPECT_EQ(text(b->part("hp")), "0");
    EXPECT_FLOAT_EQ(b->part("hpBar")->getWidth().d_offset, 0.0f);
    const float full = b->part("spBar")->getParent()->getPixelSize().d_width - 12.0f;
    EXPECT_NEAR(b->part("spBar")->getWidth().d_offset, full * 0.5f, 0.01f);

    info->hp = 250;
    b->refresh();
    EXPECT_EQ(text(b->part("hp")), "250");
    EXPECT_NEAR(b->part("hpBar")->getWidth().d_offset, full * 0.25f, 0.01f);
    info->xhp = 500; // same health, new maximum
    b->refresh();
    EXPECT_NEAR(b->part("hpBar")->getWidth().d_offset, full * 0.5f, 0.01f);
    info->xhp = 0; // no maximum: an empty bar
    b->refresh();
    EXPECT_FLOAT_EQ(b->part("hpBar")->getWidth().d_offset, 0.0f);
    info->hp = 900;
    info->xhp = 100; // more than the maximum: a full bar, no more
    b->refresh();
    EXPECT_NEAR(b->part("hpBar")->getWidth().d_offset, full, 0.01f);

    info->shown = false;
    b->refresh();
    EXPECT_FALSE(b->getWindow()->isVisible());

    // Another bubble shares the container; the last one takes it with it.
    info->shown = true;
    info->colour = 0;
    info->level = 7;
    auto foe = bubble("p2");
    ASSERT_TRUE(foe->createWindow());
    foe->refresh();
    EXPECT_EQ(prop(foe->part("name"), "TextColours"), "tl:FFFF9A8A tr:FFFF9A8A bl:FFFF9A8A br:FFFF9A8A");
    EXPECT_FALSE(foe->part("ico")->isVisible());
    EXPECT_EQ(prop(foe->part("arrow"), "Image"), "block/redarrow");
    b.reset();
    EXPECT_TRUE(mainFrame.getTopWindow()->isChild(BattleRoom::ZRKBubblePanel::kContainer));
    foe.reset();
    EXPECT_FALSE(mainFrame.getTopWindow()->isChild(BattleRoom::ZRKBubblePanel::kContainer));
}

TEST_F(BubbleTest, BuffsTakeTheFirstThreeShownSlotsAndCombosShowTheirTitles)
{
    auto b = bubble();
    ASSERT_TRUE(b->createWindow());
    info->buffs[1] = DollBuffIcon{1, "block/bpg_ok"};
    info->buffs[2] = DollBuffIcon{0, "block/redarrow"}; // hidden states take no slot
    info->buffs[3] = DollBuffIcon{2, "block/redarrow"};
    info->buffs[4] = DollBuffIcon{1, "block/bluearrow"};
    info->buffs[5] = DollBuffIcon{1, "no/such_image"};
    info->buffs[6] = DollBuffIcon{1, "block/bar_red"}; // the fourth shown: no slot
    b->refresh();
    EXPECT_EQ(prop(b->part("buff1"), "Image"), "block/bpg_ok");
    EXPECT_EQ(prop(b->part("buff2"), "Image"), "block/bluearrow");
    EXPECT_EQ(prop(b->part("buff3"), "Image"), ""); // a picture this client lacks: empty
    info->buffs.erase(1);
    info->buffs.erase(5);
    info->buffs.erase(6);
    b->refresh();
    EXPECT_EQ(prop(b->part("buff1"), "Image"), "block/bluearrow");
    EXPECT_EQ(prop(b->part("buff2"), "Image"), "");
    EXPECT_EQ(prop(b->part("buff3"), "Image"), "");

    b->setCarom(1);
    EXPECT_EQ(prop(b->part("carom"), "Image"), "title/nice");
    b->setCarom(3);
    EXPECT_EQ(prop(b->part("carom"), "Image"), "title/perfect");
    EXPECT_FLOAT_EQ(b->part("carom")->getWidth().d_offset, 125.0f);
    b->setCarom(0);
    EXPECT_EQ(prop(b->part("carom"), "Image"), "");
}

TEST_F(BubbleTest, ALockBlinksTheNameAndEveryLockReplacesTheOneAnimation)
{
    auto b = bubble();
    auto c = bubble("p2");
    ASSERT_TRUE(b->createWindow() && c->createWindow());
    b->refresh();
    c->refresh();
    core::CEGUIAnimationLib& lib = core::CEGUIAnimationLib::instance();
    b->setLocked(true);
    EXPECT_EQ(lib.getAnimationState(b->part("name")), "AIMING_CLIP1");
    const std::size_t animations = CEGUI::AnimationManager::getSingleton().getNumAnimations();
    b->setLocked(true); // already locked: nothing restarts
    EXPECT_EQ(lib.getAnimationState(b->part("name")), "AIMING_CLIP1");
    gui->injectTimePulse(0.1f);
    gui->injectTimePulse(0.35f);
    EXPECT_EQ(prop(b->part("name"), "TextColours"), "tl:FF2ECDB8 tr:FF2ECDB8 bl:FF2ECDB8 br:FF2ECDB8");
    c->setLocked(true); // re-registered: no second definition
    EXPECT_EQ(CEGUI::AnimationManager::getSingleton().getNumAnimations(), animations);
    b->setLocked(false);
    EXPECT_FALSE(lib.hasWindow(b->part("name")));
    EXPECT_EQ(prop(b->part("name"), "TextColours"), "tl:FF8FD0FF tr:FF8FD0FF bl:FF8FD0FF br:FF8FD0FF");
    c.reset(); // a locked bubble goes: the library forgets its name
    gui->injectTimePulse(0.35f);
}

TEST_F(BubbleTest, PlacingSitsTheBottomOnTheFocusThrottlesAndParksOffScreen)
{
    auto b = bubble();
    ASSERT_TRUE(b->createWindow());
    b->refresh();
    b->focusOffset() = yake::math::Vector3(0, 1, 0);
    b->homeOffset() = yake::math::Vector3(0, 0.5f, 0);
    auto doll = figure("doll", Ogre::Vector3(0, -1, 0));
    b->update(doll);
    // The focus is at the screen's middle: the bubble is centred across it, its bottom on it.
    const CEGUI::UVector2 at = b->getWindow()->getPosition();
    const CEGUI::Sizef size = b->getWindow()->getPixelSize();
    EXPECT_NEAR(at.d_x.d_scale, 0.5f - size.d_width / 1000.0f / 2.0f, 1e-4f);
    EXPECT_NEAR(at.d_y.d_scale, 0.5f - size.d_height / 500.0f, 1e-4f);
    EXPECT_NEAR(b->getScreenPos().d_x, 0.5f, 1e-4f);
    EXPECT_GT(b->getScreenPos().d_y, 0.5f); // the home point is lower
    b->update(doll);                        // not moved: the next four frames skip
    EXPECT_EQ(b->getSkipFrames(), 4);
    for (int i = 0; i < 4; ++i)
        b->update(doll);
    EXPECT_EQ(b->getSkipFrames(), 0);

    doll->getMovable()->setPosition(0, 0, 20); // behind the camera
    b->update(doll);
    EXPECT_TRUE(b->isOffscreen());
    EXPECT_EQ(b->getSkipFrames(), 6);
    EXPECT_FLOAT_EQ(b->getWindow()->getPosition().d_x.d_scale, -1.0f);
    EXPECT_LT(b->getScreenPos().d_x, 0.0f); // never under the sight

    // The distance: whole thirds of a unit, rewritten only when that number changes.
    auto own = figure("own", Ogre::Vector3(0, -1, 8.9f));
    b->showDistance(doll, own, 0);
    EXPECT_TRUE(b->part("arrow")->isVisible());
    EXPECT_EQ(text(b->part("d")), "3M"); // 11.1 units
    doll->getMovable()->setPosition(0, -1, 0);
    b->showDistance(doll, own, 0);
    EXPECT_EQ(text(b->part("d")), "2M"); // 8.9 units
    // The next frame hides them until the sight shows them again.
    b->update(doll);
    EXPECT_FALSE(b->part("arrow")->isVisible());
    EXPECT_FALSE(b->part("d")->isVisible());

    // A figure at the top left of the view: its bubble stays whole inside the window.
    doll->getMovable()->setPosition(-3.0f, 2.5f, -4.0f);
    for (int i = 0; i < 12; ++i)
        b->update(doll);
    ASSERT_FALSE(b->isOffscreen());
    EXPECT_LT(b->getScreenPos().d_y, 0.3f);
    EXPECT_GE(b->getWindow()->getPosition().d_y.d_scale, 0.0f);
    EXPECT_GE(b->getWindow()->getPosition().d_x.d_scale, 0.0f);

    // A figure low in the view, under the battle bar's top: its bubble stays above the bar.
    b->setFloor(0.74f);
    doll->getMovable()->setPosition(0.0f, -3.5f, -4.0f);
    for (int i = 0; i < 12; ++i)
        b->update(doll);
    ASSERT_FALSE(b->isOffscreen());
    EXPECT_GT(b->getScreenPos().d_y, 0.74f);
    EXPECT_LE(b->getWindow()->getPosition().d_y.d_scale + size.d_height / 500.0f, 0.74f + 1e-4f);
}

namespace {
typedef zrktest::DisplaysFixture SightTest;
} // namespace

TEST_F(SightTest, KindsSizeTheSightCoolDownShowsTwoDigitsAndAutoChargeFollowsTheSetting)
{
    board.setBool("kavri3D/app/func/auto_charge", false);
    enterAndLoad("bag=1&prev=zrk_personalroom");
    BattleRoom::ZRKSightingPanel* sight = room->getSightingPanel();
    ASSERT_NE(sight, nullptr);
    ASSERT_NE(sight->getWindow(), nullptr);
    ZRKPlayerSim* me = room->getLand()->getMyDoll();
    sight->setMode(2);
    EXPECT_FLOAT_EQ(sight->getWindow()->getWidth().d_offset, 64.0f);
    EXPECT_FALSE(sight->part("force/pg")->isVisible());
    EXPECT_NE(sight->getAssistAllowed(), -1); // decided once
    sight->setMode(1);
    EXPECT_FLOAT_EQ(sight->getWindow()->getWidth().d_offset, 96.0f);
    EXPECT_TRUE(sight->part("force/pg")->isVisible());
    EXPECT_NE(sight->getForceRing().pixels(), nullptr); // the ring is drawn even without a texture

    me->getCurrentWeaponBag()->setCDSeconds(7.0f);
    me->setAutoCharging(true);
    sight->update(0);
    EXPECT_EQ(prop(sight->part("cd0"), "Image"), "chars/armcd0");
    EXPECT_EQ(prop(sight->part("cd1"), "Image"), "chars/armcd7");
    EXPECT_EQ(prop(sight->part("status"), "Image"), "chars/sighting_arm");
    EXPECT_EQ(core::CEGUIAnimationLib::instance().getAnimationState(sight->part("status")), "blink_cd");
    EXPECT_TRUE(me->isAutoCharging()); // "auto_charge" off: the sight never switches it
    me->getCurrentWeaponBag()->setCDSeconds(123.0f);
    sight->update(0);
    EXPECT_EQ(prop(sight->part("cd0"), "Image"), "chars/armcd1");
    EXPECT_EQ(prop(sight->part("cd1"), "Image"), "chars/armcd2");
    EXPECT_EQ(sight->getStatusLook(), 1);
    for (const char* part : {"bottom", "status", "cd0", "cd1"})
        EXPECT_TRUE(sight->part(part)->isVisible()) << part;
    // Ready again: the reload mark stops blinking, and nothing of it stays under the sight
    // (nobody under it: the status, the digits and the bar all go).
    me->getCurrentWeaponBag()->setCDSeconds(0.0f);
    sight->update(0);
    EXPECT_FALSE(core::CEGUIAnimationLib::instance().hasWindow(sight->part("status")));
    EXPECT_EQ(sight->getStatusLook(), -1);
    for (const char* part : {"bottom", "status", "cd0", "cd1"})
        EXPECT_FALSE(sight->part(part)->isVisible()) << part;

    sight->setMode(-1);
    EXPECT_FLOAT_EQ(sight->getWindow()->getWidth().d_offset, 0.0f);
    EXPECT_EQ(sight->getAutoChargeTarget(), nullptr);
}
