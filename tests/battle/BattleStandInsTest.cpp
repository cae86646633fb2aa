// The framework pieces the battle's heads-up display stands on: the animation library over
// CEGUI's animations, the projection of world points to the screen, the settable random
// source and a figure's description.
#include <gtest/gtest.h>
#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <OgreDefaultHardwareBufferManager.h>
#include <cmath>
#include <core/GuiSystem.h>
#include <core/RandomNumber.h>
#include <misc/CEGUIAnimationLib.h>
#include <misc/PosTo2D.h>
#include <scene/BasicPlayer.h>
#include <yake/Math.h>
#include <yake/Vector3.h>

using namespace kavri3D;

TEST(BattleStandIns, SettableRandomDrawsFromTheGamesSourceAndStaysBelowOne)
{
    std::vector<float> draws = {0.25f, 0.75f, 1.0f, 7.0f, -3.0f, std::nanf("")};
    std::size_t next = 0;
    yake::math::Math::setRandomSource([&] { return draws[next++ % draws.size()]; });
    core::RandomNumber r = core::RandomNumber::settable();
    EXPECT_EQ(r.uniform(), 0.25f);
    EXPECT_EQ(r.uniform(), 0.75f);
    EXPECT_LT(r.uniform(), 1.0f); // a source giving 1 stays inside [0, 1)
    EXPECT_LT(r.uniform(), 1.0f);
    EXPECT_EQ(r.uniform(), 0.0f);
    EXPECT_EQ(r.uniform(), 0.0f); // NaN
    yake::math::Math::setRandomSource({});
    // A seeded source is untouched by the game's: the land's replays stay the same.
    core::RandomNumber a(5), b(5);
    yake::math::Math::setRandomSource([] { return 0.5f; });
    EXPECT_EQ(a.uniform(), b.uniform());
    EXPECT_NE(a.uniform(), 0.5f);
    yake::math::Math::setRandomSource({});
}

TEST(BattleStandIns, AnimationLibraryPlaysAStateOnAWindowAndForgetsItWhenItGoes)
{
    std::unique_ptr<core::GuiSystem> gui = core::GuiSystem::createHeadless(800, 600);
    core::CEGUIAnimationLib& lib = core::CEGUIAnimationLib::instance();
    ASSERT_TRUE(lib.loadAnimationsFromResource("ceguiAnimations.xml", "General"));
    CEGUI::WindowManager& wm = CEGUI::WindowManager::getSingleton();
    CEGUI::Window* top = wm.createWindow("DefaultWindow", "top");
    gui->getRootWindow()->addChild(top);
    CEGUI::Window* battle = wm.createWindow("DefaultWindow", "battle");
    top->addChild(battle);
    CEGUI::Window* number = wm.createWindow("DefaultWindow", "hpnum2");
    number->setPosition(CEGUI::UVector2(CEGUI::UDim(0, 100), CEGUI::UDim(0, 200)));
    battle->addChild(number);

    // Found by its path below the screen's top window.
    EXPECT_EQ(core::CEGUIAnimationLib::findWindow("battle/hpnum2"), number);
    EXPECT_EQ(core::CEGUIAnimationLib::findWindow("battle/nothing"), nullptr);
    EXPECT_FALSE(lib.setAnimationState(number, "fade_up")); // not in the library yet
    ASSERT_TRUE(lib.addWindow("battle/hpnum2", "zrk_ani"));
    EXPECT_FALSE(lib.setAnimationState(number, "no_such_state"));
    ASSERT_TRUE(lib.setAnimationState("battle/hpnum2", "fade_up"));
    EXPECT_EQ(lib.getAnimationState(number), "fade_up");
    for (int i = 0; i < 13; ++i)
        gui->injectTimePulse(0.1f);
    // 40 px up from where it stood, faded out.
    EXPECT_NEAR(number->getPosition().d_y.d_offset, 160.0f, 0.5f);
    EXPECT_NEAR(number->getPosition().d_x.d_offset, 100.0f, 0.5f);
    EXPECT_NEAR(number->getAlpha(), 0.0f, 0.01f);

    // A new state replaces the old one; removal stops it where it is.
    number->setPosition(CEGUI::UVector2(CEGUI::UDim(0, 100), CEGUI::UDim(0, 200)));
    number->setAlpha(1.0f);
    ASSERT_TRUE(lib.setAnimationState(number, "fade_down"));
    gui->injectTimePulse(0.1f);
    gui->injectTimePulse(0.6f);
    lib.removeWindow(number);
    EXPECT_FALSE(lib.hasWindow(number));
    const float y = number->getPosition().d_y.d_offset;
    EXPECT_GT(y, 200.0f);
    gui->injectTimePulse(0.5f);
    EXPECT_EQ(number->getPosition().d_y.d_offset, y);

    // A window destroyed while it plays leaves the library; stepping on is safe.
    const std::size_t before = lib.windowCount();
    ASSERT_TRUE(lib.addWindow(number, "zrk_ani"));
    ASSERT_TRUE(lib.setAnimationState(number, "fade_up"));
    EXPECT_EQ(lib.windowCount(), before + 1);
    wm.destroyWindow(number);
    EXPECT_EQ(lib.windowCount(), before);
    gui->injectTimePulse(0.5f);
    lib.removeWindow(static_cast<CEGUI::Window*>(nullptr));
    EXPECT_FALSE(lib.addWindow("battle/hpnum2", "zrk_ani"));
}

TEST(BattleStandIns, PosTo2DProjectsInFrontOfTheCameraOnly)
{
    Ogre::LogManager logs;
    logs.createLog("stand-ins-ogre.log", true, false, true);
    Ogre::Root root("", "", "");
    Ogre::DefaultHardwareBufferManager buffers;
    Ogre::MaterialManager::getSingleton().initialise();
    Ogre::SceneManager* sm = root.createSceneManager();
    Ogre::Camera* camera = sm->createCamera("eye");
    Ogre::SceneNode* node = sm->getRootSceneNode()->createChildSceneNode();
    node->attachObject(camera);
    node->setPosition(0, 0, 10); // looking down -Z at the origin
    camera->setAspectRatio(1.0f);
    camera->setNearClipDistance(0.1f);

    CEGUI::Vector2f p(-7, -7);
    ASSERT_TRUE(CEGUI::PosTo2D(camera, Ogre::Vector3(0, 0, 0), p));
    EXPECT_NEAR(p.d_x, 0.5f, 1e-4f);
    EXPECT_NEAR(p.d_y, 0.5f, 1e-4f);
    ASSERT_TRUE(CEGUI::PosTo2D(camera, yake::math::Vector3(1, 1, 0), p));
    EXPECT_GT(p.d_x, 0.5f);
    EXPECT_LT(p.d_y, 0.5f); // up in the world is up on the screen: y grows downwards
    // Off the view's side but in front: still projected (outside 0..1).
    ASSERT_TRUE(CEGUI::PosTo2D(camera, Ogre::Vector3(100, 0, 0), p));
    EXPECT_GT(p.d_x, 1.0f);
    const CEGUI::Vector2f kept = p;
    EXPECT_FALSE(CEGUI::PosTo2D(camera, Ogre::Vector3(0, 0, 20), p)); // behind
    EXPECT_FALSE(CEGUI::PosTo2D(camera, Ogre::Vector3(0, 0, 10), p)); // at the eye
    EXPECT_FALSE(CEGUI::PosTo2D(camera, Ogre::Vector3(std::nanf(""), 0, 0), p));
    EXPECT_FALSE(CEGUI::PosTo2D(nullptr, Ogre::Vector3(0, 0, 0), p));
    EXPECT_EQ(p, kept);
    sm->destroyCamera(camera);
    root.destroySceneManager(sm);
}

TEST(BattleStandIns, AFiguresDescriptionKeepsItsDottedKeys)
{
    core::BasicPlayer figure(nullptr, nullptr, "doll");
    EXPECT_EQ(figure.getDesc().getRealVal("graphical/focus.y", -1.0f), -1.0f);
    figure.getDesc().setRealVal("graphical/focus.y", 6.6f);
    figure.getDesc().setRealVal("physical/home", 3.0f);
    EXPECT_FLOAT_EQ(figure.getDesc().getRealVal("graphical/focus.y", 0.0f), 6.6f);
    EXPECT_FLOAT_EQ(figure.getDesc().getRealVal("physical/home", 0.0f), 3.0f);
}
