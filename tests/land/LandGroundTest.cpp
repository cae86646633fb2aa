#include <cmath>
#include <core/RandomNumber.h>
#include <gtest/gtest.h>
#include <land/Ballistics.h>
#include <land/DollConstants.h>
#include <land/HeightField.h>
#include <land/LandRecord.h>

using namespace kavri3D;
using namespace kavri3D::zrk;
using yake::math::Vector3;

TEST(HeightFieldTest, CraterIsABowlUnderThePointAndLeavesTheRestAlone)
{
    HeightField field;
    field.buildFlat(100.0f, 100, 10.0f, 0.0f); // one sample per unit
    field.takeChangedAreas();
    ASSERT_TRUE(field.crater(Vector3(0, 10, 0), 8.0f, 4.0f));
    EXPECT_NEAR(field.getHeight(0, 0), 6.0f, 1e-4); // the bottom: depth under the point
    EXPECT_NEAR(field.getHeight(4, 0), 10.0f - 4.0f * std::sqrt(1.0f - 0.25f), 1e-3); // the bowl's side
    EXPECT_FLOAT_EQ(field.getHeight(8.5f, 0), 10.0f);                                 // beyond the radius
    EXPECT_FLOAT_EQ(field.getHeight(-20, 20), 10.0f);
    auto areas = field.takeChangedAreas();
    ASSERT_EQ(areas.size(), 1u);
    EXPECT_LE(areas[0].x0, 42);
    EXPECT_GE(areas[0].x1, 58);
    EXPECT_TRUE(field.takeChangedAreas().empty());

    // A second blast in the hole digs deeper, but never under the bottom; a blast high in
    // the air leaves the ground as it is.
    field.crater(Vector3(0, 6, 0), 8.0f, 40.0f);
    EXPECT_FLOAT_EQ(field.getHeight(0, 0), field.getBottom());
    EXPECT_FALSE(field.crater(Vector3(30, 40, 30), 5.0f, 2.0f));
    EXPECT_FALSE(field.crater(Vector3(NAN, 0, 0), 5.0f, 2.0f));
}

TEST(HeightFieldTest, SameSeedSameGroundAndTheEdgesSinkIntoTheWater)
{
    Json::Value terrain(Json::objectValue);
    terrain["size"] = 400;
    terrain["hills"] = 8;
    terrain["water"] = 2;
    HeightField a, b, c;
    core::RandomNumber ra(5), rb(5), rc(6);
    a.build(LandRecord(terrain, "t"), ra);
    b.build(LandRecord(terrain, "t"), rb);
    c.build(LandRecord(terrain, "t"), rc);
    EXPECT_EQ(a.hash(), b.hash());
    EXPECT_NE(a.hash(), c.hash());
    EXPECT_LT(a.getHeight(199.9f, 0), a.getWater());
    EXPECT_LT(a.getHeight(0, -199.9f), a.getWater());
    EXPECT_LT(a.getHeight(300, 0), a.getBottom()); // off the field: nothing to stand on
}

TEST(BallisticsTest, StepsFollowTheClosedFormWithWind)
{
    const Vector3 p0(1, 2, 3), v0(30, 40, -10);
    const Vector3 accel = Ballistics::acceleration(Vector3(6, 0, -3), true);
    EXPECT_FLOAT_EQ(accel.y, -DollConstants::GRAVITY);
    EXPECT_FLOAT_EQ(accel.x, 6 * DollConstants::WIND_FACTOR);
    Vector3 p = p0, v = v0;
    for (int i = 0; i < 300; ++i)
        Ballistics::step(p, v, accel, DollConstants::STEP);
    const Vector3 expected = Ballistics::positionAt(p0, v0, accel, 3.0f);
    EXPECT_NEAR(p.x, expected.x, 0.02);
    EXPECT_NEAR(p.y, expected.y, 0.02);
    EXPECT_NEAR(p.z, expected.z, 0.02);
    EXPECT_NEAR(expected.y, 2 + 40 * 3 - 0.5 * DollConstants::GRAVITY * 9, 1e-3);
}

TEST(BallisticsTest, SolvedLaunchPassesThroughTheTargetAtThePitch)
{
    const Vector3 from(0, 10, 0), to(120, -5, 60);
    for (bool wind : {false, true}) {
        const Vector3 accel = Ballistics::acceleration(Vector3(-5, 0, 7), wind);
        for (float degrees : {20.0f, 45.0f, 70.0f}) {
            const float pitch = degrees * 3.14159265f / 180.0f;
            Vector3 v;
            float t = 0;
            ASSERT_TRUE(Ballistics::solveLaunch(from, to, pitch, accel, v, t)) << degrees << " wind " << wind;
            const Vector3 at = Ballistics::positionAt(from, v, accel, t);
            EXPECT_LT(at.distance(to), 0.01f);
            EXPECT_NEAR(std::atan2(v.y, std::sqrt(v.x * v.x + v.z * v.z)), pitch, 1e-4);
        }
    }
    Vector3 v;
    float t = 0;
    // Far above a shallow pitch: no flight gets there. Nor with a pitch that is not a number.
    EXPECT_FALSE(
        Ballistics::solveLaunch(from, Vector3(10, 500, 0), 0.2f, Ballistics::acceleration(Vector3(), false), v, t));
    EXPECT_FALSE(Ballistics::solveLaunch(from, to, NAN, Ballistics::acceleration(Vector3(), false), v, t));
}
