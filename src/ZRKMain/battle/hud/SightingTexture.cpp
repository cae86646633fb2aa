#include "battle/hud/SightingTexture.h"

#include <CEGUI/CEGUI.h>
#include <CEGUI/RendererModules/Ogre/Renderer.h>
#include <Ogre.h>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <core/BlackBoard.h>
#include <core/win32CreateBitmap.h>
#include <land/DollConstants.h>
#include <yake/StringUtil.h>

#include "rooms/CeguiWidgets.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
const char* const kChannel = "room";
const char* const kColourKey = "kavri3D/app/config/gui/color/sighting";
const COLORREF kRingColours[BattleRoom::SightingTexture::kColours] = {0x000004FB, 0x00A4A1D3, 0x00D16115,
                                                                      0x00A5C675, 0x00000000, 0x00575B31};
constexpr COLORREF kMarkPen = 0x0080C4FB;
constexpr int kMaxTexture = 1024;

CEGUI::Renderer* guiRenderer()
{
    CEGUI::System* system = CEGUI::System::getSingletonPtr();
    return system ? system->getRenderer() : nullptr;
}
} // namespace

BattleRoom::SightingTexture::SightingTexture() = default;

BattleRoom::SightingTexture::~SightingTexture() { release(); }

std::string BattleRoom::SightingTexture::imageProperty() const
{
    return mImagesetName.empty() ? std::string() : CeguiWidgets::imageName(mImagesetName, "full_image");
}

int BattleRoom::SightingTexture::percent(float value, float maximum)
{
    if (!(maximum > 0.0f) || !std::isfinite(maximum))
        return 0;
    const float v = std::isnan(value) ? 0.0f : std::min(std::max(value, 0.0f), maximum);
    return static_cast<int>(v * 100.0 / maximum + 0.5);
}

void BattleRoom::SightingTexture::create(int ringSize, int textureSize, int penWidth)
{
    release();
    // Sizes a caller could get wrong are kept to what a bitmap and a texture can be.
    mTextureWidth = mTextureHeight = std::min(std::max(textureSize, 1), kMaxTexture);
    mRingWidth = mRingHeight = std::min(std::max(ringSize, 1), mTextureWidth);
    mPenWidth = std::min(std::max(penWidth, 1), mRingWidth);
    // The first draw always draws, so a force of 0 shows the ring behind at once.
    mLastForce = mLastMark = -1;

    std::copy(kRingColours, kRingColours + kColours, mColours);
    core::BlackBoard* board = core::BlackBoard::getSingletonPtr();
    const std::string setting = board ? board->getString(kColourKey, "") : std::string();
    if (!setting.empty()) {
        const auto entries = yake::StringUtil::split(setting, " ");
        for (std::size_t i = 0; i < entries.size() && i < static_cast<std::size_t>(kColours); ++i)
            mColours[i] = static_cast<COLORREF>(std::strtoul(entries[i].c_str(), nullptr, 16) & 0xFFFFFFFFul);
        mPens[0] = CreatePen(PS_SOLID, mPenWidth, mColours[0]);
        mPens[1] = CreatePen(PS_SOLID, mPenWidth, mColours[1]);
        mPens[2] = CreatePen(PS_SOLID, 2, kMarkPen);
        mPens[5] = CreatePen(PS_SOLID, mPenWidth + 1, mColours[5]);
    }

    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = nullptr;
    void* bits = nullptr;
    if (core::win32CreateBitmap(screen, RECT{0, 0, mTextureWidth, mTextureHeight}, bitmap, bits)) {
        mBitmap = bitmap;
        mBits = bits;
        std::memset(mBits, 0, std::size_t(mTextureWidth) * mTextureHeight * 4);
    } else {
        writeLog(kLogError, kChannel, "the force ring's bitmap cannot be made");
    }
    ReleaseDC(nullptr, screen);
    makeTexture();
}

void BattleRoom::SightingTexture::makeTexture()
{
    Ogre::TextureManager* textures = Ogre::TextureManager::getSingletonPtr();
    if (!textures || !mBitmap)
        return; // no renderer (headless): the ring is drawn but not shown
    try {
        mTexture = textures->createManual("_SightingTexture", Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME,
                                          Ogre::TEX_TYPE_2D, mTextureWidth, mTextureHeight, 0, Ogre::PF_A8R8G8B8,
                                          Ogre::TU_DYNAMIC_WRITE_ONLY_DISCARDABLE);
        mTextureName = "_SightingTexture";
    } catch (const Ogre::Exception& e) {
        writeLog(kLogError, kChannel, std::string("the force ring has no texture: ") + e.getDescription());
        mTexture.reset();
        return;
    }
    upload();
    CEGUI::OgreRenderer* renderer = dynamic_cast<CEGUI::OgreRenderer*>(guiRenderer());
    if (!renderer)
        return;
    try {
        const CEGUI::String name = CeguiWidgets::utf8(mTextureName);
        if (renderer->isTextureDefined(name))
            renderer->destroyTexture(name);
        CEGUI::Texture& texture = renderer->createTexture(name, mTexture, false);
        CEGUI::ImageManager& images = CEGUI::ImageManager::getSingleton();
        images.destroyImageCollection("_SightingImageset", false);
        mImagesetName = "_SightingImageset";
        auto& image = static_cast<CEGUI::BasicImage&>(images.create("BasicImage", CeguiWidgets::utf8(imageProperty())));
        image.setTexture(&texture);
        image.setArea(CEGUI::Rectf(0, 0, static_cast<float>(mTextureWidth), static_cast<float>(mTextureHeight)));
        image.setOffset(CEGUI::Vector2f(0, 0));
        image.setAutoScaled(CEGUI::ASM_Disabled);
    } catch (const CEGUI::Exception& e) {
        writeLog(kLogError, kChannel, std::string("the force ring has no image: ") + e.getMessage().c_str());
    }
}

void BattleRoom::SightingTexture::release()
{
    if (!mImagesetName.empty()) {
        if (CEGUI::ImageManager* images = CEGUI::ImageManager::getSingletonPtr())
            images->destroyImageCollection(CeguiWidgets::utf8(mImagesetName), false);
        mImagesetName.clear();
    }
    mTexture.reset();
    if (!mTextureName.empty()) {
        // The GUI's texture over ours goes first, then ours.
        CEGUI::Renderer* renderer = guiRenderer();
        const CEGUI::String name = CeguiWidgets::utf8(mTextureName);
        if (renderer && renderer->isTextureDefined(name))
            renderer->destroyTexture(name);
        if (Ogre::TextureManager* textures = Ogre::TextureManager::getSingletonPtr()) {
            textures->unload(mTextureName, Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
            textures->remove(mTextureName, Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
        }
        mTextureName.clear();
    }
    if (mBitmap) {
        DeleteObject(mBitmap);
        mBitmap = nullptr;
        mBits = nullptr;
    }
    for (HPEN& pen : mPens) {
        if (pen)
            DeleteObject(pen);
        pen = nullptr;
    }
}

BattleRoom::SightingTexture::Ring BattleRoom::SightingTexture::ring() const
{
    Ring r;
    r.h = mPenWidth / 2;
    r.dX = mRingWidth - r.h;
    r.dY = mRingHeight - r.h;
    r.left = r.h + (mTextureWidth - mRingWidth) / 2 - 1;
    r.top = r.h + (mTextureHeight - mRingHeight) / 2 - 1;
    return r;
}

float BattleRoom::SightingTexture::angleOf(int percent) { return static_cast<float>((1.0 - percent / 50.0) * M_PI); }

BattleRoom::SightingTexture::Point BattleRoom::SightingTexture::pointAt(const Ring& r, float angle, int rx, int ry)
{
    return Point{static_cast<int>(r.left + rx * std::cos(angle) + r.dX / 2),
                 static_cast<int>(r.top - ry * std::sin(angle) + r.dY / 2)};
}

void BattleRoom::SightingTexture::arcTo(HDC dc, const Ring& r, HPEN pen, int percent) const
{
    SelectObject(dc, pen);
    if (percent >= 100) {
        Ellipse(dc, r.left, r.top, r.left + r.dX, r.top + r.dY);
        return;
    }
    // The radii only give the start's direction; the arc runs back to 9 o'clock.
    const Point start = pointAt(r, angleOf(percent), r.dX + r.dY, r.dX + r.dY);
    Arc(dc, r.left, r.top, r.left + r.dX, r.top + r.dY, start.x, start.y, r.left, r.top + r.dY / 2);
}

void BattleRoom::SightingTexture::triangle(HDC dc, const Ring& r, float angle, int apex, int base) const
{
    const Point a = pointAt(r, angle, r.dX / 2 + apex, r.dY / 2 + apex);
    const Point b = pointAt(r, angle, r.dX / 2 + base, r.dY / 2 + base);
    const int ux = 2 * (b.x - a.x) / 3;
    const int uy = 2 * (b.y - a.y) / 3;
    const POINT corners[3] = {{a.x, a.y}, {b.x - uy, b.y + ux}, {b.x + uy, b.y - ux}};
    Polygon(dc, corners, 3);
}

void BattleRoom::SightingTexture::draw(float force, float markForce)
{
    if (!mBitmap || !mBits)
        return;
    const int pf = percent(force, DollConstants::CTRL_FORCE_MAX);
    const int pm = percent(markForce, DollConstants::CTRL_FORCE_MAX);
    if (pf == mLastForce && pm == mLastMark)
        return;
    ++mRedraws;
    std::uint32_t* px = static_cast<std::uint32_t*>(mBits);
    const std::size_t count = std::size_t(mTextureWidth) * mTextureHeight;
    std::memset(px, 0, count * 4);

    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ oldBitmap = SelectObject(dc, mBitmap);
    HGDIOBJ oldPen = SelectObject(dc, mPens[0]);
    SelectObject(dc, GetStockObject(NULL_BRUSH)); // outlines only
    const Ring r = ring();
    if (mPens[5] && pf < 100 && pm < 100) {
        SelectObject(dc, mPens[5]);
        Ellipse(dc, r.left, r.top, r.left + r.dX, r.top + r.dY);
    }
    if (mPens[1] && pm > pf)
        arcTo(dc, r, mPens[1], pm);
    if (mPens[0] && pf > 0)
        arcTo(dc, r, mPens[0], pf);
    if (mPens[2] && pm > 0) {
        SelectObject(dc, mPens[2]);
        const float a = angleOf(pm);
        triangle(dc, r, a, 1, 7);   // outside, pointing in at the ring
        triangle(dc, r, a, -1, -7); // inside, pointing out
    }
    if (oldPen)
        SelectObject(dc, oldPen);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);

    // Dark pixels fade out, bright ones show; untouched ones stay clear.
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t p = px[i];
        const unsigned s = (p & 0xFF) + (p >> 8 & 0xFF) + (p >> 16 & 0xFF);
        const std::uint32_t alpha = s >= 255 ? 255u : s >= 64 ? 128u : s > 0 ? 32u : 0u;
        px[i] = (p & 0x00FFFFFFu) | alpha << 24;
    }
    upload();
    mLastForce = pf;
    mLastMark = pm;
}

void BattleRoom::SightingTexture::upload()
{
    if (!mTexture || !mBits)
        return;
    try {
        // Written row by row into the locked buffer: a blit may go through a frame buffer of the
        // GL driver and leave it bound, so that the next frame draws into the ring.
        const Ogre::HardwarePixelBufferSharedPtr& buffer = mTexture->getBuffer(0, 0);
        const Ogre::PixelBox source(mTextureWidth, mTextureHeight, 1, Ogre::PF_A8R8G8B8, mBits);
        buffer->lock(Ogre::HardwareBuffer::HBL_DISCARD);
        const Ogre::PixelBox& target = buffer->getCurrentLock();
        Ogre::PixelUtil::bulkPixelConversion(source, target);
        buffer->unlock();
    } catch (const Ogre::Exception& e) {
        writeLog(kLogError, kChannel, std::string("the force ring is not shown: ") + e.getDescription());
    }
}

} // namespace zrk
} // namespace kavri3D
