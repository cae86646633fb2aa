// The log-in backdrop decoded ahead on its own thread: the shipped picture comes out whole and
// the right way round, anything else is refused with a reason, and a prefetch is taken once,
// by its own file only.
#include <array>
#include <gtest/gtest.h>
#include <yake/Logger.h>

#include "rooms/BackdropPicture.h"
#include "support/TestEnv.h"

using kavri3D::zrk::BackdropPicture;

namespace {

const char kShipped[] = "res/GUI/bgscene.jpg";

/// The pixel's channels (red, green, blue).
std::array<int, 3> rgb(const BackdropPicture::Pixels& p, unsigned x, unsigned y)
{
    const unsigned char* at = &p.rgba[(static_cast<std::size_t>(y) * p.width + x) * 4];
    return {at[0], at[1], at[2]};
}

} // namespace

TEST(BackdropPicture, TheShippedPictureDecodesWholeTopToBottomInRgba)
{
    const std::string bytes = zrktest::readFile(zrktest::binFolder() + "/" + kShipped);
    BackdropPicture::Pixels p;
    std::string why;
    ASSERT_TRUE(BackdropPicture::decodeJpeg(bytes, p, why)) << why;
    EXPECT_EQ(p.width, 1280u);
    EXPECT_EQ(p.height, 720u);
    ASSERT_EQ(p.rgba.size(), 1280u * 720u * 4u);
    // A night sky above (blue over red), the green hills below, every pixel opaque.
    const auto sky = rgb(p, 640, 10), hill = rgb(p, 640, 700);
    EXPECT_GT(sky[2], sky[0]);
    EXPECT_GT(hill[1], hill[2]);
    EXPECT_EQ(p.rgba[3], 255);
    EXPECT_EQ(p.rgba.back(), 255);
}

TEST(BackdropPicture, AnythingButASoundJpegOfASaneSizeIsRefusedWithItsReason)
{
    const std::string shipped = zrktest::readFile(zrktest::binFolder() + "/" + kShipped);
    BackdropPicture::Pixels p;
    std::string why;
    for (const std::string& bad : {std::string(), std::string("\xFF"), std::string("GIF89a"),
                                   std::string("\xFF\xD8\xFF\xFF"), std::string("\xFF\xD8") + std::string(100, '\0')}) {
        why.clear();
        EXPECT_FALSE(BackdropPicture::decodeJpeg(bad, p, why));
        EXPECT_FALSE(why.empty());
        EXPECT_TRUE(p.rgba.empty());
    }
    // A frame header claiming 8000 pixels a side: refused before anything that size is made.
    std::string huge = shipped;
    const std::size_t sof = huge.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    huge[sof + 5] = huge[sof + 7] = '\x1F';
    huge[sof + 6] = huge[sof + 8] = '\x40';
    EXPECT_FALSE(BackdropPicture::decodeJpeg(huge, p, why));
    EXPECT_NE(why.find("too large"), std::string::npos) << why;
    EXPECT_TRUE(p.rgba.empty());
    // Cut short: what is there, the rest filled, never a read past the end.
    ASSERT_TRUE(BackdropPicture::decodeJpeg(shipped.substr(0, shipped.size() / 2), p, why)) << why;
    EXPECT_EQ(p.rgba.size(), 1280u * 720u * 4u);
}

TEST(BackdropPicture, APrefetchIsTakenOnceAndOnlyForItsOwnFile)
{
    zrktest::TempDir dir;
    const std::string shipped = zrktest::binFolder() + "/" + kShipped;
    BackdropPicture::Pixels p;
    EXPECT_FALSE(BackdropPicture::take(shipped, p)); // nothing prefetched

    BackdropPicture::prefetch(shipped);
    EXPECT_FALSE(BackdropPicture::take(dir.file("other.jpg"), p));
    ASSERT_TRUE(BackdropPicture::take(shipped, p));
    EXPECT_EQ(p.width, 1280u);
    EXPECT_FALSE(BackdropPicture::take(shipped, p)); // taken once

    // A missing or broken file: the drawer is told no (and reads it its own way), one line says why.
    yake::logging::logger::instance().startCapture();
    BackdropPicture::prefetch(dir.file("missing.jpg"));
    EXPECT_FALSE(BackdropPicture::take(dir.file("missing.jpg"), p));
    zrktest::writeFile(dir.file("broken.jpg"), "\xFF\xD8 not really");
    BackdropPicture::prefetch(dir.file("broken.jpg"));
    EXPECT_FALSE(BackdropPicture::take(dir.file("broken.jpg"), p));
    EXPECT_EQ(yake::logging::logger::instance().countCaptured("room",
                                                              dir.file("missing.jpg") + " not decoded ahead: missing"),
              1u);
    yake::logging::logger::instance().stopCapture();

    // One prefetch replaces another; one nobody takes is dropped (its thread ended) at shut-down.
    BackdropPicture::prefetch(dir.file("missing.jpg"));
    BackdropPicture::prefetch(shipped);
    EXPECT_FALSE(BackdropPicture::take(dir.file("missing.jpg"), p));
    BackdropPicture::drop();
    EXPECT_FALSE(BackdropPicture::take(shipped, p));
}
