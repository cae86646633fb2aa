#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <OgreCodec.h>
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

TEST(GameWindow, TheFullerPictureCodecComesWithTheFirstPictureThatNeedsIt)
{
    ASSERT_TRUE(GraphicsSystem::displayAvailable()) << "render tests run under Xvfb";
    GraphicsSystem::WindowSpec spec;
    spec.width = 320;
    spec.height = 240;
    auto g = GraphicsSystem::create(false, spec);
    ASSERT_NE(g, nullptr);
    // The start-up brings the common picture codecs only.
    EXPECT_TRUE(Ogre::Codec::isCodecRegistered("jpg"));
    EXPECT_FALSE(Ogre::Codec::isCodecRegistered("jp2"));
    EXPECT_TRUE(g->preparePictureCodec("MAP01/PG099.JPG"));
    EXPECT_FALSE(Ogre::Codec::isCodecRegistered("jp2"));
    EXPECT_FALSE(g->preparePictureCodec("no-extension"));
    EXPECT_FALSE(g->preparePictureCodec("odd.dir/no-extension"));
    EXPECT_FALSE(Ogre::Codec::isCodecRegistered("jp2"));

    // The loading screen's JPEG 2000 frame: the codec comes, and the picture reads.
    EXPECT_TRUE(g->preparePictureCodec("PG_Frame.JP2"));
    ASSERT_TRUE(Ogre::Codec::isCodecRegistered("jp2"));
    const std::string bytes = zrktest::readFile(zrktest::binFolder() + "/res/GUI/PG_Frame.jp2");
    ASSERT_FALSE(bytes.empty());
    Ogre::DataStreamPtr stream(new Ogre::MemoryDataStream(const_cast<char*>(bytes.data()), bytes.size(), false, true));
    Ogre::Image picture;
    picture.load(stream, "jp2");
    EXPECT_GT(picture.getWidth(), 0u);
    EXPECT_GT(picture.getHeight(), 0u);
    // What no codec reads stays refused, asked once or twice.
    EXPECT_FALSE(g->preparePictureCodec("odd.nocodec"));
    EXPECT_FALSE(g->preparePictureCodec("odd.nocodec"));
}
