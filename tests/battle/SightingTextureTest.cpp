// The force ring inside the sight, drawn into its own bitmap (no renderer needed): which
// pixels each force and mark light, in which colours and alpha, and when it redraws.
#include <gtest/gtest.h>
#include <cmath>
#include <limits>
#include <core/BlackBoard.h>
#include <land/DollConstants.h>
#include <win32/Windows.h>

#include "battle/hud/SightingTexture.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

constexpr const char* kDefaults = "000004FB 00A4A1D3 00D16115 00A5C675 00000000 00575B31";

class SightingTextureTest : public ::testing::Test {
protected:
    void SetUp() override { board.setString("kavri3D/app/config/gui/color/sighting", kDefaults); }
    static float forceAt(int percent) { return DollConstants::CTRL_FORCE_MAX * percent / 100.0f; }
    std::uint32_t at(int x, int y) const { return ring.pixels()[y * ring.textureWidth() + x]; }
    static unsigned rgb(std::uint32_t p) { return p & 0xFFFFFF; }
    /// The pixel colour of a COLORREF (0x00BBGGRR) as the bitmap holds it (0x00RRGGBB).
    static unsigned asPixel(COLORREF c) { return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF); }
    /// Pixels of the colour inside the rows [y0, y1).
    int count(unsigned colour, int y0 = 0, int y1 = 84) const
    {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < ring.textureWidth(); ++x)
                n += rgb(at(x, y)) == colour;
        return n;
    }
    /// Pixels of the colour in the quarter around the clock position (0 right, 1 top, 2 left, 3 bottom).
    int inQuarter(unsigned colour, int quarter) const
    {
        int n = 0;
        for (int y = 0; y < 84; ++y)
            for (int x = 0; x < 84; ++x) {
                const double a = std::atan2(-(y + 0.5 - 42.0), x + 0.5 - 42.0);
                const double q = std::fmod(a / (M_PI / 2) + 4.5, 4.0); // 0..4, centred on the axes
                n += static_cast<int>(q) == quarter && rgb(at(x, y)) == colour;
            }
        return n;
    }

    core::BlackBoard board;
    BattleRoom::SightingTexture ring;
};

} // namespace

TEST_F(SightingTextureTest, PercentagesRoundHalfUpAndClampBadValues)
{
    const float max = DollConstants::CTRL_FORCE_MAX;
    EXPECT_EQ(BattleRoom::SightingTexture::percent(max * 0.004f, max), 0);
    EXPECT_EQ(BattleRoom::SightingTexture::percent(max * 0.005f, max), 1);
    EXPECT_EQ(BattleRoom::SightingTexture::percent(max * 0.5f, max), 50);
    EXPECT_EQ(BattleRoom::SightingTexture::percent(max * 3.0f, max), 100);
    EXPECT_EQ(BattleRoom::SightingTexture::percent(-5.0f, max), 0);
    EXPECT_EQ(BattleRoom::SightingTexture::percent(std::numeric_limits<float>::quiet_NaN(), max), 0);
    EXPECT_EQ(BattleRoom::SightingTexture::percent(std::numeric_limits<float>::infinity(), max), 100);
    EXPECT_EQ(BattleRoom::SightingTexture::percent(10.0f, 0.0f), 0);
    EXPECT_EQ(BattleRoom::SightingTexture::percent(10.0f, -1.0f), 0);
}

TEST_F(SightingTextureTest, ForceZeroShowsTheBackgroundRingAtOnceAndAnUnchangedForceDrawsNothing)
{
    ring.create(70, 84, 6);
    ASSERT_TRUE(ring.pixels());
    EXPECT_FALSE(ring.hasTexture()); // no renderer here: drawn, not shown
    EXPECT_EQ(ring.lastForce(), -1);
    ring.draw(0, 0);
    const unsigned background = asPixel(ring.colour(5));
    const int ringPixels = count(background);
    EXPECT_GT(ringPixels, 300);
    for (int q = 0; q < 4; ++q)
        EXPECT_GT(inQuarter(background, q), 50) << "quarter " << q;
    // Dark: alpha 128 (sum of 49 + 91 + 87 is over 64, under 255).
    for (int y = 0; y < 84; ++y)
        for (int x = 0; x < 84; ++x) {
            const std::uint32_t p = at(x, y);
            EXPECT_EQ(p >> 24, rgb(p) == background ? 128u : rgb(p) == 0 ? 0u : p >> 24);
        }
    EXPECT_EQ(rgb(at(42, 42)), 0u);
    EXPECT_EQ(at(0, 0), 0u);
    const int redraws = ring.redrawCount();
    ring.draw(forceAt(0) + 0.001f, 0); // still 0%
    EXPECT_EQ(ring.redrawCount(), redraws);
}

TEST_F(SightingTextureTest, HalfForceDrawsTheUpperHalfFromNineOverTwelveToThree)
{
    ring.create(70, 84, 6);
    ring.draw(forceAt(50), 0);
    const unsigned red = asPixel(ring.colour(0));
    EXPECT_EQ(red, 0xFB0400u);
    EXPECT_GT(count(red, 0, 38), 250);
    EXPECT_EQ(count(red, 48, 84), 0);
    EXPECT_GT(inQuarter(red, 1), 100); // 12 o'clock
    EXPECT_EQ(inQuarter(red, 3), 0);   // 6 o'clock
    // Bright red: fully opaque. The background ring still shows below.
    EXPECT_EQ(at(42, 9 + 1) >> 24, 255u);
    EXPECT_GT(count(asPixel(ring.colour(5)), 48, 84), 100);

    ring.draw(forceAt(25), 0); // a quarter: 9 to 12 only
    EXPECT_GT(inQuarter(red, 2) + inQuarter(red, 1), 100);
    int rightHalf = 0;
    for (int y = 0; y < 84; ++y)
        for (int x = 46; x < 84; ++x)
            rightHalf += rgb(at(x, y)) == red;
    EXPECT_EQ(rightHalf, 0);
}

TEST_F(SightingTextureTest, AFullChargeDrawsTheWholeRingInRedWithoutTheBackground)
{
    ring.create(70, 84, 6);
    ring.draw(forceAt(100), 0);
    const unsigned red = asPixel(ring.colour(0));
    for (int q = 0; q < 4; ++q)
        EXPECT_GT(inQuarter(red, q), 50);
    EXPECT_EQ(count(asPixel(ring.colour(5))), 0);
}

TEST_F(SightingTextureTest, AMarkAheadDrawsItsArcAndTrianglesAMarkBehindOnlyTheTriangles)
{
    ring.create(70, 84, 6);
    ring.draw(forceAt(25), forceAt(75));
    const unsigned mark = asPixel(ring.colour(1));
    const unsigned triangle = asPixel(0x0080C4FB);
    EXPECT_GT(inQuarter(mark, 0), 50); // 12 to 3 o'clock is the mark's part
    EXPECT_GT(count(triangle), 10);
    // The triangles sit at 75%: 6 o'clock.
    int nearMark = 0;
    for (int y = 60; y < 84; ++y)
        for (int x = 32; x < 52; ++x)
            nearMark += rgb(at(x, y)) == triangle;
    EXPECT_GT(nearMark, 5);

    ring.draw(forceAt(60), forceAt(40));
    EXPECT_EQ(count(mark), 0);
    EXPECT_GT(count(triangle), 10);
}

TEST_F(SightingTextureTest, ColoursComeFromTheSettingInBlueGreenRedOrder)
{
    board.setString("kavri3D/app/config/gui/color/sighting", "0000FF 0x00FF00");
    ring.create(70, 84, 6);
    EXPECT_EQ(ring.colour(0), 0x0000FFu);
    EXPECT_EQ(ring.colour(1), 0x00FF00u);
    EXPECT_EQ(ring.colour(2), 0x00D16115u); // the others keep their defaults
    EXPECT_EQ(ring.colour(5), 0x00575B31u);
    ring.draw(forceAt(30), forceAt(60));
    EXPECT_GT(count(0xFF0000u), 50); // red force
    EXPECT_GT(count(0x00FF00u), 50); // green mark

    board.setString("kavri3D/app/config/gui/color/sighting", "zz 1FFFFFFFFF");
    ring.create(70, 84, 6);
    EXPECT_EQ(ring.colour(0), 0u);          // not a number: black, shown as nothing
    EXPECT_EQ(ring.colour(1), 0xFFFFFFFFu); // kept to 32 bits
    ring.draw(forceAt(50), 0);
    for (int y = 0; y < 84; ++y)
        for (int x = 0; x < 84; ++x)
            if (rgb(at(x, y)) == 0) {
                ASSERT_EQ(at(x, y) >> 24, 0u);
            }
}

TEST_F(SightingTextureTest, NoColourSettingMakesNoPensAndDrawsAClearRing)
{
    board.setString("kavri3D/app/config/gui/color/sighting", "");
    const int before = win32LiveGdiObjects();
    ring.create(70, 84, 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_FALSE(ring.hasPen(i));
    ring.draw(forceAt(50), forceAt(80));
    for (int i = 0; i < 84 * 84; ++i)
        ASSERT_EQ(ring.pixels()[i], 0u);
    ring.release();
    EXPECT_EQ(win32LiveGdiObjects(), before);
}

TEST_F(SightingTextureTest, CreatingAgainAndReleasingFreesEverything)
{
    const int before = win32LiveGdiObjects();
    ring.create(70, 84, 6);
    EXPECT_EQ(win32LiveGdiObjects(), before + 5); // four pens and the bitmap
    ring.create(70, 84, 6);
    EXPECT_EQ(win32LiveGdiObjects(), before + 5);
    ring.release();
    ring.release();
    EXPECT_EQ(win32LiveGdiObjects(), before);
    EXPECT_TRUE(ring.imagesetName().empty());
    ring.draw(forceAt(50), 0); // nothing to draw on: nothing happens
    EXPECT_EQ(ring.pixels(), nullptr);
}
