#pragma once
// The GUI plug-in's pages of a whole-game run, as the player's mouse finds them.
#include <CEGUI/CEGUI.h>
#include <gui/IGuiManager.h>
#include <gui/IGuiPage.h>
#include <string>
#include <vector>
#include <yake/Time.h>

#include "shell/ZRKGuiLoader.h"
#include "support/GameRun.h"

namespace zrktest {

/// A page's window by panel kind; null without one.
inline CEGUI::Window* pageWindow(int kind)
{
    kavri3D::zrk::ZRKGuiLoader* loader = kavri3D::zrk::ZRKGuiLoader::getSingletonPtr();
    kavri3D::zrk::gui::IGuiManager* manager = nullptr;
    if (!loader || !loader->createGuiManager(&manager) || !manager || !manager->getPage(kind))
        return nullptr;
    return manager->getPage(kind)->getRootWindow();
}

/// A page's window by its name when it is shown; null otherwise.
inline CEGUI::Window* shownPage(const char* name)
{
    CEGUI::Window* root = CEGUI::System::getSingleton().getDefaultGUIContext().getRootWindow();
    CEGUI::Window* page = root ? root->getChildRecursive(name) : nullptr;
    return page && page->isEffectiveVisible() ? page : nullptr;
}

/// A button pressed, as its click reaches it.
inline void click(CEGUI::Window* button)
{
    CEGUI::WindowEventArgs args(button);
    button->fireEvent(CEGUI::PushButton::EventClicked, args, CEGUI::PushButton::EventNamespace);
}

/// A choice of a page's radio buttons picked ("Seats4", "Mode9" of the hall's create form), as a
/// click on it picks it.
inline void pick(CEGUI::Window* page, const char* choice)
{
    static_cast<CEGUI::RadioButton*>(page->getChild(choice))->setSelected(true);
}

/// Whether the area page shows, its zones listed.
inline bool zonesListed()
{
    CEGUI::Window* area = shownPage("AreaPage");
    return area && static_cast<CEGUI::MultiColumnList*>(area->getChild("Zones"))->getRowCount() > 0;
}

/// From the area page into the first zone's hall, as the mouse goes: the hall's page, or null
/// (the test failed) when the game never got there.
inline CEGUI::Window* enterFirstZone(GameRun& game)
{
    if (!game.framesUntil([&] { return game.stateName() == "room"; }, 300))
        return nullptr;
    CEGUI::Window* area = pageWindow(0);
    if (!area)
        return nullptr;
    auto* zoneList = static_cast<CEGUI::MultiColumnList*>(area->getChild("Zones"));
    if (!game.framesUntil([&] { return zoneList->getRowCount() > 0; }, 60))
        return nullptr;
    zoneList->setItemSelectState(CEGUI::MCLGridRef(0, 0), true);
    click(area->getChild("Enter"));
    if (!game.framesUntil([&] { return game.stateName() == "playerhall"; }, 60))
        return nullptr;
    return pageWindow(8);
}

/// A click of the real pointer in the middle of the widget (the input is an XWindowInput).
template <class Input> void clickOn(Input& input, CEGUI::Window* w)
{
    const CEGUI::Rectf r = w->getUnclippedOuterRect().get();
    input.click(static_cast<int>(r.left() + r.getWidth() * 0.5f), static_cast<int>(r.top() + r.getHeight() * 0.5f));
}

/// A click of the real pointer on a row of a multi-column list (rows under its header, none
/// scrolled away).
template <class Input> void clickRow(Input& input, CEGUI::Window* w, unsigned row)
{
    auto* list = static_cast<CEGUI::MultiColumnList*>(w);
    const CEGUI::Rectf outer = list->getUnclippedOuterRect().get();
    const CEGUI::Rectf area = list->getListRenderArea();
    float y = 0;
    for (unsigned r = 0; r < row; ++r)
        y += list->getHighestRowItemHeight(r);
    input.click(static_cast<int>(outer.left() + area.left() + 20),
                static_cast<int>(outer.top() + area.top() + y + list->getHighestRowItemHeight(row) / 2));
}

/// A click of the real pointer on a line of a list box (none scrolled away).
template <class Input> void clickLine(Input& input, CEGUI::Window* w, std::size_t index)
{
    auto* list = static_cast<CEGUI::Listbox*>(w);
    const CEGUI::Rectf outer = list->getUnclippedOuterRect().get();
    const CEGUI::Rectf area = list->getListRenderArea();
    float y = 0;
    for (std::size_t i = 0; i < index; ++i)
        y += list->getListboxItemFromIndex(i)->getPixelSize().d_height;
    const float height = list->getListboxItemFromIndex(index)->getPixelSize().d_height;
    input.click(static_cast<int>(outer.left() + area.left() + 20),
                static_cast<int>(outer.top() + area.top() + y + height / 2));
}

/// A text box's text replaced as a player would: a click into it, End, a Backspace for each
/// character it held, then the new text typed (letters and digits; the input is an XWindowInput).
template <class Input> void retype(Input& input, CEGUI::Window* box, const std::u32string& text)
{
    clickOn(input, box);
    input.key(0xff57); // End
    for (std::size_t n = box->getText().length(); n > 0; --n)
        input.key(0xff08); // BackSpace
    input.typeText(text);
}

/// From the area page, by the mouse on its "Shop" button, to the player's page: its window, or
/// null (the test failed) when either page never showed.
template <class Input> CEGUI::Window* openPlayerPage(GameRun& game, Input& input)
{
    if (!game.framesUntil([] { return shownPage("AreaPage") != nullptr; }, 300))
        return nullptr;
    clickOn(input, shownPage("AreaPage")->getChild("Shop"));
    if (!game.framesUntil([] { return shownPage("PlayerPage") != nullptr; }, 60))
        return nullptr;
    return shownPage("PlayerPage");
}

/// From the area page into the first zone's hall with the real pointer: a click on the zones'
/// first row, then on "Enter". The hall's page, or null (the test failed) when the game never
/// got there.
template <class Input> CEGUI::Window* enterFirstZoneByMouse(GameRun& game, Input& input)
{
    if (!game.framesUntil(zonesListed, 300, "the zones on the area page"))
        return nullptr;
    CEGUI::Window* area = shownPage("AreaPage");
    clickRow(input, area->getChild("Zones"), 0);
    game.frames(3);
    clickOn(input, area->getChild("Enter"));
    if (!game.framesUntil([] { return shownPage("RoomListPage") != nullptr; }, 120))
        return nullptr;
    return shownPage("RoomListPage");
}

/// The lines of a list box, top first.
inline std::vector<std::string> listLines(CEGUI::Window* box)
{
    std::vector<std::string> out;
    auto* list = static_cast<CEGUI::Listbox*>(box);
    for (std::size_t i = 0; i < list->getItemCount(); ++i)
        out.push_back(list->getListboxItemFromIndex(i)->getText().c_str());
    return out;
}

/// Time only moves when the test moves it, for as long as this lives.
struct ManualClock {
    ManualClock() { yake::native::setManualClock(true); }
    ~ManualClock() { yake::native::setManualClock(false); }
};

} // namespace zrktest
