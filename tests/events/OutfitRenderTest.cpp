// The bag page in a real game window, played against the embedded server: the character
// stands in its coat, takes it off through the bag page, then wears the jacket from the bag
// after the bind question. The coat's red comes and goes on the figure; the picture of the
// dressed character beside the bag goes to the build's shots/outfit.png for the README.
#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <boost/filesystem.hpp>
#include <gtest/gtest.h>
#include <scene/BasicPlayer.h>

#include "events/EqIconLoadingEvent.h"
#include "events/EquipmentListEvent.h"
#include "events/ExChangeSlotEvent.h"
#include "events/PackageLoadingEvent.h"
#include "rooms/RoomLogon.h"
#include "support/PageWindow.h"

using namespace kavri3D;

namespace {

const int kBag = 12;

struct OutfitWindow : zrktest::PageWindow {
    std::unique_ptr<zrk::RoomLogon> logon;
    zrk::ZRKRolePtr hero;

    OutfitWindow() : zrktest::PageWindow("outfit", 1024, 600, false) {}

    void SetUp() override
    {
        zrktest::PageWindow::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        logon.reset(new zrk::RoomLogon);
        logon->onEnter("");
        ASSERT_NE(logon->getScene(), nullptr);
        // The frame is lent to the game (the bind question's box) once the log-on state stands:
        // lent before, the state's full-window backdrop would cover the figure looked at here.
        lendFrame();
        hero = zrk::RoleManager::instance().createRole("myrole", logon->getScene());
        hero->setDefaultItems({"boy", equip.getModel(1001), equip.getModel(1101)});
        // Beside the bag, which takes the screen from a sixth of its width on.
        hero->setPosition(worldXAt(0.08f), 0, 0);
        hero->loadEquipment();

        logInHero();
        if (HasFatalFailure())
            return;

        registerEvent<zrk::EqIconLoadingEvent>(kBag);
        registerEvent<zrk::PackageLoadingEvent>(kBag);
        registerEvent<zrk::EquipmentListEvent>(kBag);
        registerEvent<zrk::ExChangeSlotEvent>(kBag);
    }
    void TearDown() override
    {
        closeGuiAndSession();
        if (logon)
            logon->onExit();
        logon.reset();
        hero.reset();
        zrktest::PageWindow::TearDown();
    }
    /// The log-on state's scene and the figures move on with the window's frames.
    void onFrame(float seconds) override
    {
        if (logon)
            logon->onFrame(seconds);
        zrk::RoleManager::instance().update(seconds);
    }
    /// A click on the bag page's cell of that slot, as the player's mouse makes it.
    void click(int slot)
    {
        CEGUI::Window* cell = manager->getPage(kBag)->getRootWindow()->getChild("Cell_" + std::to_string(slot));
        CEGUI::WindowEventArgs args(cell);
        cell->fireEvent(CEGUI::PushButton::EventClicked, args, CEGUI::PushButton::EventNamespace);
        frames(4);
    }
    /// Where on screen (a share of its width) a point at the figure's chest height and world x stands.
    float screenX(float x) const
    {
        Ogre::Camera* camera = logon->getCamera();
        return (camera->getProjectionMatrix() * (camera->getViewMatrix() * Ogre::Vector3(x, 46, 0))).x * 0.5f + 0.5f;
    }
    /// The world x at which the figure stands at that share of the screen's width.
    float worldXAt(float share) const
    {
        const float at0 = screenX(0), at100 = screenX(100);
        return at100 == at0 ? 0.0f : (share - at0) * 100 / (at100 - at0);
    }
    /// Pixels of the coat's colour at the middle of the figure's body, where the coat sits.
    std::size_t coatPixels()
    {
        Ogre::RenderWindow* window = gfx->getRenderWindow();
        const std::size_t w = window->getWidth(), h = window->getHeight();
        const std::vector<unsigned char> pixels = windowPixels();
        Ogre::Camera* camera = logon->getCamera();
        const Ogre::Vector3 at =
            camera->getProjectionMatrix() * (camera->getViewMatrix() * Ogre::Vector3(hero->getPosition().x, 46, 0));
        const std::size_t cx = static_cast<std::size_t>((at.x * 0.5f + 0.5f) * w);
        const std::size_t cy = static_cast<std::size_t>((0.5f - at.y * 0.5f) * h);
        std::size_t red = 0;
        for (std::size_t y = cy - 5; y <= cy + 5; ++y)
            for (std::size_t x = cx - 5; x <= cx + 5; ++x) {
                const unsigned char* p = &pixels[(y * w + x) * 4];
                if (p[0] > 100 && p[0] > p[1] + 40 && p[0] > p[2] + 40)
                    ++red;
            }
        return red;
    }
    /// The image the icon of the slot's cell shows; empty when it shows none.
    std::string icon(int slot)
    {
        CEGUI::Window* cell = manager->getPage(kBag)->getRootWindow()->getChild("Cell_" + std::to_string(slot));
        CEGUI::Window* picture = cell->getChild("Icon");
        return picture->isVisible() ? picture->getProperty("Image").c_str() : std::string();
    }
    /// The colour in the middle of the slot's cell, as drawn.
    Ogre::ColourValue cellColour(int slot)
    {
        CEGUI::Window* cell = manager->getPage(kBag)->getRootWindow()->getChild("Cell_" + std::to_string(slot));
        const CEGUI::Rectf r = cell->getUnclippedOuterRect().get();
        Ogre::RenderWindow* window = gfx->getRenderWindow();
        const std::size_t w = window->getWidth(), h = window->getHeight();
        const std::vector<unsigned char> pixels = windowPixels();
        const std::size_t x = static_cast<std::size_t>((r.left() + r.right()) / 2);
        const std::size_t y = static_cast<std::size_t>((r.top() + r.bottom()) / 2);
        const unsigned char* p = &pixels[(std::min(y, h - 1) * w + std::min(x, w - 1)) * 4];
        return Ogre::ColourValue(p[0] / 255.f, p[1] / 255.f, p[2] / 255.f);
    }
    std::string worn(const std::string& kind) const
    {
        auto it = hero->getSlotModels().find(kind);
        return it == hero->getSlotModels().end() ? std::string() : it->second;
    }
};

} // namespace

TEST_F(OutfitWindow, TheCoatComesAndGoesOnTheFigureAsTheBagPageMovesIt)
{
    boost::filesystem::create_directories(ZRK_SHOTS_DIR);
    // The bag comes up: the worn items dress the character.
    manager->showPage("bag");
    frames(6);
    ASSERT_EQ(worn("coat"), "boy_coat_01");
    EXPECT_EQ(worn("hairstyle"), "boy_hair_01");
    EXPECT_GT(coatPixels(), 100u) << "no coat before";

    // The coat into the bag: gone from the figure.
    click(3);
    click(77);
    frames(4);
    EXPECT_EQ(worn("coat"), "");
    EXPECT_LT(coatPixels(), 10u) << "the coat stays";

    // The jacket from the bag onto the coat slot: first the bind question, the figure as it was.
    click(61);
    click(3);
    ASSERT_TRUE(frame->getOpenMessageBox());
    EXPECT_LT(coatPixels(), 10u);
    EXPECT_TRUE(gfx->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/outfit-question.png"));
    ASSERT_TRUE(frame->pressMessageBoxButton(0));
    frames(8);
    EXPECT_EQ(worn("coat"), "boy_coat_02");
    EXPECT_GT(coatPixels(), 100u) << "no coat after";
    EXPECT_TRUE(gfx->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/outfit.png"));
}

// The bag page draws its items' icons from the GUI's image sets, the weapon bags and the props
// bag as cells, moves a weapon along its bag, and shows a placeholder for an icon the sets lack.
TEST_F(OutfitWindow, TheBagPageDrawsIconsAndTheWeaponBags)
{
    boost::filesystem::create_directories(ZRK_SHOTS_DIR);
    manager->getImagesetNames() = {"TaharezLook", "ZRKIcons"};
    manager->showPage("bag");
    frames(6);
    EXPECT_EQ(icon(2), "ZRKIcons/icon_hair_01");
    EXPECT_EQ(icon(3), "ZRKIcons/icon_coat_01");
    EXPECT_EQ(icon(21), "ZRKIcons/icon_cannon_01");
    EXPECT_EQ(icon(22), "ZRKIcons/icon_mortar_01");
    EXPECT_EQ(icon(51), "ZRKIcons/icon_kit_01");
    EXPECT_EQ(icon(61), "ZRKIcons/icon_coat_02");
    EXPECT_EQ(icon(23), "");
    for (int slot : {29, 31, 39, 41, 49, 60})
        EXPECT_TRUE(manager->getPage(kBag)->getRootWindow()->isChild("Cell_" + std::to_string(slot))) << slot;
    // Drawn: the coat's red and the cannon's grey in their cells.
    const Ogre::ColourValue coat = cellColour(3), cannon = cellColour(21);
    EXPECT_GT(coat.r, 0.6f) << coat;
    EXPECT_LT(coat.g, 0.3f) << coat;
    EXPECT_NEAR(cannon.r, 120 / 255.f, 0.1f) << cannon;
    EXPECT_NEAR(cannon.b, 130 / 255.f, 0.1f) << cannon;
    EXPECT_TRUE(gfx->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/bag-icons.png"));
    // Every item hero holds has a picture of its own, and a tooltip naming it.
    CEGUI::Window* page = manager->getPage(kBag)->getRootWindow();
    int held = 0;
    for (std::size_t i = 0; i < page->getChildCount(); ++i) {
        CEGUI::Window* cell = page->getChildAtIdx(i);
        const std::string name = cell->getName().c_str();
        if (name.rfind("Cell_", 0) != 0 || cell->getTooltipText().empty())
            continue;
        ++held;
        const int slot = std::stoi(name.substr(5));
        EXPECT_NE(icon(slot), "") << name << " " << cell->getTooltipText();
        EXPECT_NE(icon(slot), "ZRKIcons/placeholder") << name << " " << cell->getTooltipText();
    }
    EXPECT_GE(held, 20);

    // The mortar one cell along its bag: the server moves it, the page follows.
    click(22);
    click(23);
    frames(6);
    EXPECT_EQ(icon(22), "");
    EXPECT_EQ(icon(23), "ZRKIcons/icon_mortar_01");

    // An icon the image sets lack: the placeholder.
    CEGUI::ImageManager::getSingleton().destroy("ZRKIcons/icon_coat_02");
    manager->showPage("bag");
    frames(6);
    EXPECT_EQ(icon(61), "ZRKIcons/placeholder");
    // ... which says only "some item": the cell names it.
    const std::string named = manager->getPage(kBag)->getRootWindow()->getChild("Cell_61")->getText().c_str();
    EXPECT_EQ(named.find("Field Jacket"), 0u) << named;
}
