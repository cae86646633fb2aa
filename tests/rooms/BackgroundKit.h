#pragma once
// The background scene without the whole game: the window's scene headless, a main frame for
// the backdrop, the real GUI plug-in, the default-look document, the eighteen snapshot slots
// and render targets made by a fake (headless OGRE has no textures), each with a camera.
#include <gtest/gtest.h>
#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <algorithm>
#include <core/AbstractWin32Application.h>
#include <core/AudioManager.h>
#include <core/BlackBoard.h>
#include <core/Frame.h>
#include <core/GraphicsManager.h>
#include <core/SnapShotScene.h>
#include <memory>
#include <gui/IGuiControl.h>
#include <gui/IGuiManager.h>
#include <scene/ProductManager.h>
#include <string>

#include "RoomTestKit.h"
#include "rooms/AbsRTTSnapShotImpl.h"
#include "rooms/BackgroundScene.h"
#include "rooms/RoleManager.h"
#include "rooms/SnapShotEx.h"
#include "rooms/SnapShotManager.h"
#include "rooms/ZRKRoleRes.h"
#include "services/GameServices.h"
#include "shell/MainFrame.h"
#include "shell/ZRKGuiLoader.h"

namespace roomtest {

/// How many fake render targets were made and went.
struct ImplCounts {
    int made = 0;
    int gone = 0;
};

/// A render target without a texture: a camera of its own in the window's scene.
class FakeImpl : public kavri3D::core::AbsRTTSnapShotImpl {
public:
    FakeImpl(kavri3D::core::SnapShotEx* owner, const std::string& texture, const std::string& camera,
             ImplCounts& counts, bool works = true)
        : AbsRTTSnapShotImpl(owner), mCounts(counts), mWorks(works)
    {
        mTextureName = texture;
        mCameraName = camera;
        mWidth = mHeight = 256;
    }
    ~FakeImpl() override { ++mCounts.gone; }
    bool create() override
    {
        ++mCounts.made;
        Ogre::SceneManager* scene = kavri3D::core::GraphicsManager::getOgreSceneManager();
        if (!mWorks || !scene)
            return false;
        Ogre::Camera* camera = scene->createCamera(mCameraName);
        Ogre::SceneNode* node = scene->getRootSceneNode()->createChildSceneNode();
        node->attachObject(camera);
        node->setFixedYawAxis(true);
        madeCamera(scene, camera, node);
        return true;
    }

private:
    ImplCounts& mCounts;
    bool mWorks;
};

struct BackgroundFixture : ::testing::Test {
    ManualClock clock;
    HeadlessGraphics gfx;
    kavri3D::core::BlackBoard board;
    kavri3D::core::AudioManager audio;
    kavri3D::core::ExampleApplication<kavri3D::core::ApplicationConfiguration> app{nullptr, "game.exe"};
    kavri3D::core::Frame frame{app};
    std::unique_ptr<kavri3D::zrk::GameServices::FrameLoan> loan;
    kavri3D::zrk::ZRKGuiLoader loader;
    kavri3D::zrk::gui::IGuiManager* manager = nullptr;
    kavri3D::zrk::gui::IGuiControl* control = nullptr;
    kavri3D::zrk::ZRKRoleRes roleRes;
    ImplCounts counts;
    bool implsWork = true;
    LogCapture log;

    BackgroundFixture()
    {
        board.setString("kavri3D/appPath", zrktest::binFolder() + "/");
        EXPECT_TRUE(frame.create());
        loan.reset(new kavri3D::zrk::GameServices::FrameLoan(frame));
        loader.loadFrom((zrktest::binFolder() + "/libZRK_Gui.so").c_str());
        if (loader.createGuiManager(&manager))
            control = manager->getControl();
        roleRes.load();
        makeSlots();
        scene().setImplFactory(
            [this](kavri3D::core::SnapShotEx* owner, const std::string& texture, const std::string& camera) {
                return new FakeImpl(owner, texture, camera, counts, implsWork);
            });
        kavri3D::core::ProductManager::instance().clear();
    }
    ~BackgroundFixture() override
    {
        kavri3D::zrk::BackgroundScene::destroyInstance();
        kavri3D::zrk::SnapShotManager::destroyInstance();
        kavri3D::zrk::RoleManager::destroyInstance();
        kavri3D::core::ProductManager::instance().clear();
        if (manager)
            manager->shutdown();
        loan.reset();
        frame.destroy();
    }

    /// The main frame's slots, but for the names given.
    void makeSlots(const std::vector<std::string>& without = {})
    {
        for (const char* name : kavri3D::zrk::MainFrame::kSnapShotNames)
            if (std::find(without.begin(), without.end(), name) == without.end())
                kavri3D::zrk::SnapShotManager::instance().createSnapShot(kavri3D::core::SnapShotEx::kDefaultLens, name);
    }
    kavri3D::zrk::BackgroundScene& scene() { return kavri3D::zrk::BackgroundScene::instance(); }
    kavri3D::core::SnapShotEx* slot(const std::string& name)
    {
        return kavri3D::zrk::SnapShotManager::instance().find(name);
    }
    /// Builds the groups of the flags from nothing.
    void build(unsigned flags)
    {
        scene().setRequestedFlags(flags);
        scene().refresh();
    }
    /// One frame: due timers, then the scene's frame.
    void step(float dt = 0.1f)
    {
        kavri3D::core::TimerManager::instance().update();
        scene().onFrame(dt);
    }
    CEGUI::Window* backdrop()
    {
        CEGUI::Window* top = frame.getTopWindow();
        return top && top->isChild(kavri3D::zrk::BackgroundScene::kWindowName)
                   ? top->getChild(kavri3D::zrk::BackgroundScene::kWindowName)
                   : nullptr;
    }
    /// Where a node stands in the world.
    static Ogre::Vector3 at(const Ogre::Camera* camera) { return camera->getParentSceneNode()->_getDerivedPosition(); }
};

} // namespace roomtest
