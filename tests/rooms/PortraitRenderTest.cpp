// The pictures on real render targets in a game window: the names come free again after a
// reset, a bare picture is cleared transparent, each portrait shows only its own figure, upright,
// and the GUI shows the portraits and the prize boxes on its pages. The picture of the pages is
// written under the build folder (shots/portraits.png) for the README.
#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <boost/filesystem.hpp>
#include <core/AudioManager.h>
#include <gui/IGuiControl.h>
#include <gui/IGuiManager.h>
#include <gui/IGuiPage.h>
#include <scene/BasicPlayer.h>
#include <scene/ProductManager.h>

#include "RoomTestKit.h"
#include "rooms/OgreRTTSnapShotImplEx.h"
#include "rooms/SnapShotEx.h"
#include "rooms/SnapShotManager.h"
#include "shell/MainFrame.h"
#include "shell/ZRKProductResolver.h"
#include "support/PageWindow.h"

using namespace kavri3D;

namespace {

/// A picture's pixels, read back from its render texture, RGBA row by row from the top.
struct Picture {
    unsigned width = 0, height = 0;
    std::vector<unsigned char> rgba;

    explicit Picture(Ogre::Texture* texture)
    {
        if (!texture)
            return;
        width = texture->getWidth();
        height = texture->getHeight();
        rgba.resize(std::size_t(width) * height * 4);
        Ogre::PixelBox box(width, height, 1, Ogre::PF_BYTE_RGBA, rgba.data());
        texture->getBuffer()->blitToMemory(box);
    }
    unsigned char alpha(unsigned x, unsigned y) const { return rgba[(std::size_t(y) * width + x) * 4 + 3]; }
    /// Columns and rows that hold anything drawn, as [first, last]; first > last when none.
    void drawnBounds(unsigned& left, unsigned& right, unsigned& top, unsigned& bottom) const
    {
        left = top = ~0u;
        right = bottom = 0;
        for (unsigned y = 0; y < height; ++y)
            for (unsigned x = 0; x < width; ++x)
                if (alpha(x, y) > 0) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
    }
};

/// A game window of the benchmark's size with the GUI plug-in, a main frame, the slots and the
/// product resolver over the program folder's res/.
struct PortraitWindow : zrktest::PageWindow {
    core::AudioManager audio;
    std::unique_ptr<zrk::ZRKProductResolver> resolver;

    PortraitWindow() : zrktest::PageWindow("portraits", 1280, 720) {}

    void SetUp() override
    {
        zrktest::PageWindow::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        for (const char* name : zrk::MainFrame::kSnapShotNames)
            zrk::SnapShotManager::instance().createSnapShot(core::SnapShotEx::kDefaultLens, name);
        resolver.reset(new zrk::ZRKProductResolver(nullptr));
        resolver->setCacheFolder(dir.file("cache"));
        core::ProductManager::instance().clear();
        core::ProductManager::instance().setDocumentResolver(resolver.get(), true);
    }
    void TearDown() override
    {
        // The scene and its pictures go while the GUI that shows them is still there.
        zrk::BackgroundScene::destroyInstance();
        zrk::SnapShotManager::destroyInstance();
        zrk::RoleManager::destroyInstance();
        core::ProductManager::instance().setDocumentResolver(nullptr, false);
        core::ProductManager::instance().clear();
        resolver.reset();
        zrktest::PageWindow::TearDown();
    }
    /// The background scene (the portraits' figures) moves on with the window's frames.
    void onFrame(float seconds) override { zrk::BackgroundScene::instance().onFrame(seconds); }

    /// Dresses a seat: the shared hair and face, its own outfit.
    void dress(const std::string& role, const std::string& outfitKind, int outfit, bool wings)
    {
        zrk::ZRKRolePtr r = zrk::RoleManager::instance().getRole(role);
        ASSERT_TRUE(r) << role;
        r->setDefaultItems({"boy", equip.getModel(1001), equip.getModel(1101)});
        r->setAttr(outfitKind, equip.getModel(outfit));
        r->setAttr("shoes", equip.getModel(2201));
        if (wings)
            r->setAttr("back", equip.getModel(2401));
        r->loadEquipment();
    }

    /// Puts a page where the picture wants it and shows it.
    void place(int kind, float left, float top, float right, float bottom)
    {
        CEGUI::Window* page = manager->getPage(kind)->getRootWindow();
        ASSERT_NE(page, nullptr);
        page->setArea(
            CEGUI::URect(CEGUI::UDim(left, 0), CEGUI::UDim(top, 0), CEGUI::UDim(right, 0), CEGUI::UDim(bottom, 0)));
        page->setVisible(true);
    }
};

} // namespace

TEST_F(PortraitWindow, NamesComeFreeAfterAResetAndATakenNameFailsCleanly)
{
    core::SnapShotEx shot(0);
    EXPECT_EQ(shot.attach(nullptr, new core::OgreRTTSnapShotImplEx(&shot, "probe_tex", "probe_cam")), "probe_tex");
    Ogre::TextureManager& textures = Ogre::TextureManager::getSingleton();
    EXPECT_TRUE(textures.resourceExists("probe_tex", Ogre::RGN_DEFAULT));
    EXPECT_TRUE(gfx->getSceneManager()->hasCamera("probe_cam"));

    // A second picture of the same names is refused and takes nothing of the first along.
    core::SnapShotEx twin(0);
    EXPECT_EQ(twin.attach(nullptr, new core::OgreRTTSnapShotImplEx(&twin, "probe_tex", "twin_cam")), "");
    EXPECT_FALSE(gfx->getSceneManager()->hasCamera("twin_cam"));
    twin.reset();
    EXPECT_TRUE(textures.resourceExists("probe_tex", Ogre::RGN_DEFAULT));

    shot.reset();
    EXPECT_FALSE(textures.resourceExists("probe_tex", Ogre::RGN_DEFAULT));
    EXPECT_FALSE(gfx->getSceneManager()->hasCamera("probe_cam"));
    EXPECT_EQ(shot.attach(nullptr, new core::OgreRTTSnapShotImplEx(&shot, "probe_tex", "probe_cam")), "probe_tex");
}

TEST_F(PortraitWindow, ABarePictureIs256SquareRgbaClearedTransparent)
{
    core::SnapShotEx shot(0);
    ASSERT_EQ(shot.attach(nullptr, new core::OgreRTTSnapShotImplEx(&shot, "bare_tex", "bare_cam")), "bare_tex");
    Ogre::Texture* texture = shot.getTexture();
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->getWidth(), 256u);
    EXPECT_EQ(texture->getHeight(), 256u);
    EXPECT_TRUE(Ogre::PixelUtil::hasAlpha(texture->getFormat()));
    EXPECT_EQ(texture->getNumMipmaps(), 0u);
    EXPECT_FLOAT_EQ(shot.getCamera()->getAspectRatio(), 1.0f);
    // Filmed into empty space.
    shot.getCamera()->getParentSceneNode()->setPosition(0, -90000, 0);
    ASSERT_TRUE(shot.saveToFile(dir.file("bare.png")));
    Picture picture(texture);
    std::size_t drawn = 0;
    for (std::size_t i = 0; i < picture.rgba.size(); ++i)
        drawn += picture.rgba[i] != 0;
    EXPECT_EQ(drawn, 0u);
}

TEST_F(PortraitWindow, EachPortraitShowsOnlyItsOwnFigureUprightAndTheGuiShowsThemAll)
{
    // A lobby room is shown: its lights light the portraits too.
    roomtest::RecordingRoom room("room");
    room.onEnter("");
    zrk::BackgroundScene& scene = zrk::BackgroundScene::instance();
    scene.setRequestedFlags(zrk::BackgroundScene::kBackdrop | zrk::BackgroundScene::kPortraits |
                            zrk::BackgroundScene::kThreeBoxes);
    scene.refresh();
    ASSERT_TRUE(scene.isBuilt());
    dress("myrole", "coat", 2001, true);
    dress("showview", "suite", 2101, true);
    const char* const seats[] = {"red1", "red2", "red3", "red4", "blue1", "blue2", "blue3", "blue4"};
    for (int i = 0; i < 8; ++i)
        dress(seats[i], i % 2 ? "suite" : "coat", i % 2 ? 2101 : 2001, i < 4);
    frames(4);

    const char* const slots[] = {"player", "showview", "red0",  "red1",  "red2",
                                 "red3",   "blue0",    "blue1", "blue2", "blue3"};
    for (const char* name : slots) {
        Picture picture(zrk::SnapShotManager::instance().find(name)->getTexture());
        ASSERT_EQ(picture.width, 256u) << name;
        unsigned left, right, top, bottom;
        picture.drawnBounds(left, right, top, bottom);
        ASSERT_LE(left, right) << name << ": nothing drawn";
        // One figure in the middle: a neighbour 100 units aside would stand near the edge.
        EXPECT_GT(left, 80u) << name;
        EXPECT_LT(right, 176u) << name;
        // Framed on the figure: from near the top to near the bottom, most of the height,
        // nothing cut off at either edge.
        EXPECT_GT(top, 0u) << name;
        EXPECT_LT(top, 50u) << name;
        EXPECT_GT(bottom, 205u) << name;
        EXPECT_LT(bottom, 255u) << name;
    }

    // The GUI's pages show the pictures under their image names.
    zrk::gui::IGuiControl* control = manager->getControl();
    place(7, 0.02f, 0.05f, 0.40f, 0.60f);
    place(9, 0.42f, 0.05f, 0.98f, 0.60f);
    place(12, 0.20f, 0.62f, 0.80f, 0.98f);
    frames(2);
    EXPECT_EQ(control->shownImage(7, "myself"), "myself");
    EXPECT_EQ(control->shownImage(7, "showview"), "showview");
    EXPECT_EQ(control->shownImage(9, "red2"), "red2");
    EXPECT_EQ(control->shownImage(9, "blue3"), "blue3");
    EXPECT_EQ(control->shownImage(12, "box3"), "box3");
    EXPECT_EQ(control->shownImage(12, "box4"), ""); // the three-box group
    EXPECT_GT(control->callCount("setRenderSwitch"), 0);

    // The portrait on the player page is upright too: the figure's feet (its dark shoes)
    // stand below its face in the window, as in the texture.
    boost::filesystem::create_directories(ZRK_SHOTS_DIR);
    EXPECT_TRUE(gfx->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/portraits.png"));
    CEGUI::Window* myself = manager->getPage(7)->getRootWindow()->getChild("Pictures/Picture_myself");
    const CEGUI::Rectf area = myself->getUnclippedInnerRect().get();
    Ogre::RenderWindow* window = gfx->getRenderWindow();
    const std::vector<unsigned char> pixels = windowPixels();
    auto skinRow = [&](bool fromTop) {
        // The face is the only skin-coloured part (1.0, 0.82, 0.65).
        const int cx = static_cast<int>(area.left() + area.getWidth() / 2);
        for (int i = 0; i < static_cast<int>(area.getHeight()); ++i) {
            const int y = fromTop ? static_cast<int>(area.top()) + i : static_cast<int>(area.bottom()) - i;
            for (int x = cx - 10; x <= cx + 10; ++x) {
                const unsigned char* p = &pixels[(std::size_t(y) * window->getWidth() + std::size_t(x)) * 4];
                if (p[0] > 150 && p[1] > 110 && p[1] < p[0] && p[2] < p[1])
                    return y;
            }
        }
        return -1;
    };
    const int face = skinRow(true);
    ASSERT_GE(face, 0) << "no face on the player page";
    EXPECT_LT(face, static_cast<int>(area.top() + area.getHeight() * 0.45f)) << "the portrait is upside down";

    // Gone with the scene: the GUI lets the pictures go before their textures.
    scene.destroyScene();
    EXPECT_EQ(control->shownImage(7, "myself"), "");
    EXPECT_FALSE(CEGUI::ImageManager::getSingleton().isDefined("myself"));
    frames(1);
    room.onExit();
}
