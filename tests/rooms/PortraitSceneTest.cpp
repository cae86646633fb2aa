// The portraits and the prize boxes in the background scene: where the figures, boxes and
// cameras stand, which figure each picture shows, and the box animation.
#include <scene/BasicSite.h>
#include <scene/GrafixScene.h>

#include "BackgroundKit.h"
#include "rooms/BoxSnapShotScene.h"
#include "rooms/PortraitSnapShotScene.h"

using namespace kavri3D;
using roomtest::BackgroundFixture;
using zrk::BackgroundScene;

namespace {
const char* const kRoles[] = {"myrole", "red1", "red2", "red3", "red4", "blue1", "blue2", "blue3", "blue4", "showview"};

bool visible(const std::string& role)
{
    return zrk::RoleManager::instance().getRole(role)->getPlayer()->isAvatarVisible();
}
} // namespace

TEST_F(BackgroundFixture, EachPortraitShowsOnlyItsOwnFigureWhileItRenders)
{
    scene().refresh();
    for (const char* role : kRoles)
        EXPECT_FALSE(visible(role)) << role; // hidden before any picture renders

    core::SnapShotEx* red2 = slot("red2");
    const int switches = control->callCount("setRenderSwitch");
    red2->preRender();
    for (const char* role : kRoles)
        EXPECT_EQ(visible(role), std::string(role) == "red3") << role;
    red2->postRender();
    for (const char* role : kRoles)
        EXPECT_FALSE(visible(role)) << role;
    EXPECT_EQ(control->callCount("setRenderSwitch"), switches + 2);
}

TEST_F(BackgroundFixture, FiguresStandInALineAndTheirCamerasInFrontOfThem)
{
    scene().refresh();
    const Ogre::Vector3 me = zrk::RoleManager::instance().getRole("myrole")->getPosition();
    EXPECT_EQ(me, Ogre::Vector3(0, 0, -15350));
    EXPECT_EQ(at(slot("player")->getCamera()), Ogre::Vector3(0, 0, -15050));
    EXPECT_FLOAT_EQ(at(slot("player")->getCamera()).distance(me), 300.0f);

    const Ogre::Vector3 model = zrk::RoleManager::instance().getRole("showview")->getPosition();
    EXPECT_EQ(model, Ogre::Vector3(-500, 0, -15350));
    EXPECT_FLOAT_EQ(at(slot("showview")->getCamera()).distance(model), 450.0f);

    // Seats are numbered from 1, their pictures from 0.
    EXPECT_EQ(zrk::RoleManager::instance().getRole("red3")->getPosition(), Ogre::Vector3(300, 0, -15350));
    EXPECT_EQ(at(slot("red2")->getCamera()), Ogre::Vector3(300, 0, -15050));
    EXPECT_EQ(zrk::RoleManager::instance().getRole("blue4")->getPosition(), Ogre::Vector3(-400, 0, -15350));
    // Each camera looks at the point a little above its figure's feet, upright.
    Ogre::Camera* camera = slot("blue3")->getCamera();
    const Ogre::Vector3 look = (Ogre::Vector3(-400, 2.3f, -15350) - at(camera)).normalisedCopy();
    EXPECT_GT(camera->getDerivedDirection().dotProduct(look), 0.9999f);
    EXPECT_NEAR(camera->getDerivedUp().x, 0.0f, 1e-4f);
}

TEST_F(BackgroundFixture, AMissingRolePlacesNoFigure)
{
    scene().refresh();
    zrk::RoleManager::instance().removeRole("red3");
    zrk::Red2SnapShotScene portrait(scene().getSceneInstance());
    portrait.setupScene();
    EXPECT_TRUE(portrait.getAvatars().empty());
    EXPECT_NE(portrait.getGuiManager(), nullptr);
}

TEST_F(BackgroundFixture, TheEightBoxesStandTwoHundredApartEachWithItsCamera)
{
    core::ProductManager::instance().addDocument("box3", "");
    build(BackgroundScene::kEightBoxes);
    ASSERT_EQ(scene().getBoxSnapShots().size(), 8u);
    core::GrafixScene* instance = scene().getSceneInstance();
    for (int i = 0; i < 8; ++i) {
        const std::string name = "box" + std::to_string(i + 1);
        const float x = -11000.0f - 200.0f * static_cast<float>(i);
        core::BasicSite* site = instance->getSite(name);
        ASSERT_NE(site, nullptr) << name;
        EXPECT_EQ(site->getMovable()->getPosition(), Ogre::Vector3(x, 0, -7000)) << name;
        EXPECT_EQ(at(slot(name)->getCamera()), Ogre::Vector3(x, 600, -5000)) << name;
        auto* box = dynamic_cast<zrk::BoxSnapShotScene*>(slot(name)->getScene());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->getProductName(), "box3");
        ASSERT_NE(box->getItemId(), -1);
        EXPECT_TRUE(site->isItemVisible(box->getItemId()));
    }
}

TEST_F(BackgroundFixture, ABoxPlaysItsAnimationOnceAndAnUnresolvedBoxDoesNothing)
{
    core::ProductManager::instance().addDocument("box1", "");
    build(BackgroundScene::kThreeBoxes);
    auto* first = dynamic_cast<zrk::BoxSnapShotScene*>(slot("box1")->getScene());
    auto* second = dynamic_cast<zrk::BoxSnapShotScene*>(slot("box2")->getScene());
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->getProductName(), "box1");
    EXPECT_EQ(second->getProductName(), "box2");
    first->playAnimation();
    const auto& asked = scene().getSceneInstance()->getSite("box1")->getAnimationRequests();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].itemId, first->getItemId());
    EXPECT_EQ(asked[0].animation, "");
    EXPECT_EQ(asked[0].mode, 2);

    // No resolver knows "box2": no model, but the site and camera still stand where they should.
    EXPECT_EQ(second->getItemId(), -1);
    second->playAnimation();
    core::BasicSite* site = scene().getSceneInstance()->getSite("box2");
    EXPECT_TRUE(site->getAnimationRequests().empty());
    EXPECT_EQ(site->getMovable()->getPosition(), Ogre::Vector3(-11200, 0, -7000));
    EXPECT_FALSE(site->setItemVisible(-1, true));
}
