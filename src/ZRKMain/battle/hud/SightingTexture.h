#pragma once
#include <OgreTexture.h>
#include <cstdint>
#include <string>
#include <win32/Windows.h>

#include "battle/BattleRoom.h"

namespace kavri3D {
namespace zrk {

/// The force gauge inside the sight of arcing weapons: the own doll's force as a red arc
/// growing clockwise from 9 o'clock, a lighter arc up to the marked force when that lies
/// ahead, two small triangles at the mark and a dark ring behind. Drawn into a bitmap of its
/// own, given alpha by brightness and copied into a texture the GUI shows as one image; it is
/// redrawn only when the rounded percentages change.
class BattleRoom::SightingTexture {
public:
    static constexpr int kColours = 6;

    SightingTexture();
    /// Frees what create made, so the next battle can make the texture of the same name again.
    ~SightingTexture();
    SightingTexture(const SightingTexture&) = delete;
    SightingTexture& operator=(const SightingTexture&) = delete;

    /// Pens from the colour setting, texture, bitmap and image (everything made before goes
    /// first). Without a texture manager, or when the texture cannot be made, the bitmap is
    /// still drawn but nothing is shown.
    void create(int ringSize, int textureSize, int penWidth);
    /// Safe when nothing exists.
    void release();
    /// Redraws for the force and the mark (units of the doll's full charge) when a rounded
    /// percentage changed.
    void draw(float force, float markForce);

    /// The image set the GUI shows the ring through; empty while there is none.
    const std::string& imagesetName() const { return mImagesetName; }
    /// The image property value, empty without an image set.
    std::string imageProperty() const;

    /// A value as a whole percentage of the maximum, rounded half up; NaN and values below 0
    /// count as 0, values above the maximum as the maximum, a maximum of 0 or less as 0%.
    static int percent(float value, float maximum);

    // What tests look at: the bitmap (blue, green, red, alpha per pixel), the last percentages
    // and the colours (0x00BBGGRR).
    const std::uint32_t* pixels() const { return static_cast<const std::uint32_t*>(mBits); }
    int textureWidth() const { return mTextureWidth; }
    int textureHeight() const { return mTextureHeight; }
    int lastForce() const { return mLastForce; }
    int lastMark() const { return mLastMark; }
    COLORREF colour(int index) const { return index >= 0 && index < kColours ? mColours[index] : 0; }
    bool hasPen(int index) const { return index >= 0 && index < kColours && mPens[index]; }
    bool hasTexture() const { return static_cast<bool>(mTexture); }
    int redrawCount() const { return mRedraws; }

private:
    struct Point {
        int x, y;
    };
    /// The ring's box and pen geometry for the current sizes.
    struct Ring {
        int h, dX, dY, left, top;
    };
    Ring ring() const;
    static float angleOf(int percent);
    static Point pointAt(const Ring& r, float angle, int rx, int ry);
    /// The part of the ring up to the percentage with the pen; the whole ring from 100 on.
    void arcTo(HDC dc, const Ring& r, HPEN pen, int percent) const;
    void triangle(HDC dc, const Ring& r, float angle, int apex, int base) const;
    void makeTexture();
    void upload();

    HBITMAP mBitmap = nullptr;
    HPEN mPens[kColours] = {};
    void* mBits = nullptr;
    int mRingWidth = 0, mRingHeight = 0;
    int mTextureWidth = 0, mTextureHeight = 0;
    int mPenWidth = 1;
    int mLastForce = 0, mLastMark = 0;
    COLORREF mColours[kColours] = {};
    std::string mImagesetName;
    std::string mTextureName;
    Ogre::TexturePtr mTexture;
    int mRedraws = 0;
};

} // namespace zrk
} // namespace kavri3D
