#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <gtest/gtest.h>
#include <core/GraphicsSystem.h>
#include <core/GuiSystem.h>

#include "support/TestEnv.h"

using kavri3D::core::GraphicsSystem;

TEST(GameWindow, DrawsTheSceneAndTheGuiIntoARealWindow)
{
    ASSERT_TRUE(GraphicsSystem::displayAvailable()) << "render tests run under Xvfb";
    GraphicsSystem::WindowSpec spec;
    spec.title = "render test";
    spec.width = 640;
    spec.height = 480;
    auto g = GraphicsSystem::create(false, spec);
    ASSERT_NE(g, nullptr);
    ASSERT_FALSE(g->isHeadless());
    ASSERT_NE(g->getGui(), nullptr);

    // A lit cube in the scene and a framed window of the GUI over it.
    Ogre::Entity* cube = g->getSceneManager()->createEntity(Ogre::SceneManager::PT_CUBE);
    g->getSceneManager()->getRootSceneNode()->createChildSceneNode(Ogre::Vector3(0, 30, 0))->attachObject(cube);
    CEGUI::Window* box = CEGUI::WindowManager::getSingleton().createWindow("TaharezLook/FrameWindow", "box");
    box->setArea(CEGUI::UVector2(CEGUI::UDim(0.25f, 0), CEGUI::UDim(0.25f, 0)),
                 CEGUI::USize(CEGUI::UDim(0.5f, 0), CEGUI::UDim(0.3f, 0)));
    box->setText("Hello");
    g->getGui()->getRootWindow()->addChild(box);

    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(g->renderOneFrame(1.f / 24));
    EXPECT_EQ(g->getFramesRendered(), 5u);
    EXPECT_GT(g->nonBlackShare(), 0.9); // the background colour fills the window; not a black screen
    zrktest::TempDir dir;
    EXPECT_TRUE(g->writeScreenshot(dir.file("shot.png")));
    EXPECT_GT(zrktest::readFile(dir.file("shot.png")).size(), 1000u);
    EXPECT_FALSE(g->takeCloseRequest());
}

TEST(GameWindow, HeadlessKeepsTheSceneGraphAndTheGuiWithoutDrawing)
{
    GraphicsSystem::WindowSpec spec;
    auto g = GraphicsSystem::create(true, spec);
    ASSERT_NE(g, nullptr);
    EXPECT_TRUE(g->isHeadless());
    Ogre::Entity* cube = g->getSceneManager()->createEntity(Ogre::SceneManager::PT_CUBE);
    g->getSceneManager()->getRootSceneNode()->createChildSceneNode()->attachObject(cube);
    EXPECT_TRUE(g->renderOneFrame(0.1f));
    EXPECT_EQ(g->getFramesRendered(), 0u);
    EXPECT_LT(g->nonBlackShare(), 0);
    EXPECT_FALSE(g->writeScreenshot("/tmp/never.png"));
}
