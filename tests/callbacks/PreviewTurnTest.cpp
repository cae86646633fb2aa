// The preview character turned by a drag (angle in degrees, the role by name, an empty span back
// to the front) and by itself once the switches are stored.
#include "EventsFixture.h"

#include <Ogre.h>
#include <cmath>
#include <limits>
#include <scene/BasicPlayer.h>
#include <scene/DefaultSceneHelper.h>
#include <scene/GrafixScene.h>

#include "callbacks/TryRoomRoll3DModelCallbackEvent.h"
#include "rooms/RoleManager.h"
#include "rooms/ZRKRole.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

struct PreviewTurnFixture : zrktest::EventsFixture {
    // A scene graph alone: the events fixture already has the GUI.
    std::unique_ptr<Ogre::Root> root{new Ogre::Root("", "", dir.file("ogre.log"))};
    core::GrafixScene scene{root->createSceneManager(), "preview"};
    TryRoomRoll3DModelCallbackEvent event{page, dispatcher};
    ZRKRolePtr view = RoleManager::instance().createRole("showview", &scene);

    ~PreviewTurnFixture() override { RoleManager::destroyInstance(); }
    Ogre::SceneNode* node(const ZRKRolePtr& role) { return role->getPlayer()->getMovable(); }
    float yaw(const ZRKRolePtr& role) { return node(role)->getOrientation().getYaw().valueDegrees(); }
    void drag(const boost::any& span)
    {
        control->clearPageParams(kLogin);
        setParam("mouse_span", span);
        act(event);
    }
    void settings(const std::vector<std::pair<std::string, bool>>& values)
    {
        control->clearPageParams(kLogin);
        for (const auto& v : values)
            setParam(v.first, v.second);
        act(event);
    }
};

} // namespace

TEST_F(PreviewTurnFixture, DragsTurnAboutTheVerticalAxisAndAnEmptySpanFacesTheFront)
{
    const int moves = core::DefaultSceneHelper::movedCount();
    drag(90.0f);
    const Ogre::Quaternion quarter(Ogre::Degree(90), Ogre::Vector3::UNIT_Y);
    EXPECT_TRUE(node(view)->getOrientation().equals(quarter, Ogre::Degree(0.1f)));
    EXPECT_EQ(core::DefaultSceneHelper::movedCount(), moves + 1);
    drag(boost::any());
    EXPECT_TRUE(node(view)->getOrientation().equals(Ogre::Quaternion::IDENTITY, Ogre::Degree(0.1f)));
    drag(45.0f);
    drag(45.0f);
    EXPECT_TRUE(node(view)->getOrientation().equals(quarter, Ogre::Degree(0.1f)));

    // Angles that are no finite float are refused; the figure stays where it was.
    for (const boost::any& bad :
         {boost::any(std::numeric_limits<float>::quiet_NaN()), boost::any(std::numeric_limits<float>::infinity()),
          boost::any(90.0), boost::any(std::string("90"))}) {
        drag(bad);
        EXPECT_TRUE(node(view)->getOrientation().equals(quarter, Ogre::Degree(0.1f)));
    }
    drag(1e30f); // huge but finite: some turn, still a rotation
    EXPECT_NEAR(node(view)->getOrientation().Norm(), 1.0f, 1e-4f);
    EXPECT_TRUE(std::isfinite(yaw(view)));
}

TEST_F(PreviewTurnFixture, ADragNamingAnotherRoleTurnsItAndAnUnknownRoleNothing)
{
    ZRKRolePtr other = RoleManager::instance().createRole("myrole", &scene);
    control->clearPageParams(kLogin);
    setParam("mouse_span", -30.0f);
    setParam("role", std::string("myrole"));
    act(event);
    EXPECT_NEAR(yaw(other), -30.0f, 1e-3f);
    EXPECT_NEAR(yaw(view), 0.0f, 1e-3f);
    setParam("role", std::string("nobody"));
    act(event);
    EXPECT_NEAR(yaw(other), -30.0f, 1e-3f);
}

TEST_F(PreviewTurnFixture, TheStoredSwitchesTurnThePreviewEachFrameUntilTheEventGoes)
{
    view->update(); // no handler yet
    EXPECT_NEAR(yaw(view), 0.0f, 1e-3f);
    settings({{"flags", true}, {"isClock", true}});
    EXPECT_TRUE(event.turns());
    EXPECT_TRUE(event.clockwise());
    settings({{"isClock", false}}); // only the direction: still turning
    EXPECT_TRUE(event.turns());
    EXPECT_FALSE(event.clockwise());
    view->update();
    const float once = yaw(view);
    EXPECT_NEAR(std::fabs(once), 2.0f, 1e-3f);
    // A later change is seen at the next frame without another call.
    settings({{"flags", false}});
    view->update();
    EXPECT_NEAR(yaw(view), once, 1e-3f);
    bool turn = true, clockwise = true;
    event.onQueryTurn(turn, clockwise);
    EXPECT_FALSE(turn);
    EXPECT_FALSE(clockwise);
    EXPECT_TRUE(event.fillParams()->empty());
}

TEST_F(PreviewTurnFixture, APreviewOutlivingItsEventStandsStill)
{
    auto gone = std::make_unique<TryRoomRoll3DModelCallbackEvent>(page, dispatcher);
    control->clearPageParams(kLogin);
    setParam("flags", true);
    gone->callback(control->paramHandle(kLogin));
    view->update();
    const float before = yaw(view);
    gone.reset();
    view->update();
    EXPECT_NEAR(yaw(view), before, 1e-3f);
}
