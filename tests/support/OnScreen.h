#pragma once
// What the render tests see of the game's screens and how the mouse reaches them.
#include <CEGUI/CEGUI.h>
#include <string>
#include <vector>

namespace zrktest {

/// A page's window by name when it is on screen; null otherwise.
inline CEGUI::Window* shownPage(const char* name)
{
    CEGUI::Window* root = CEGUI::System::getSingleton().getDefaultGUIContext().getRootWindow();
    CEGUI::Window* page = root ? root->getChildRecursive(name) : nullptr;
    return page && page->isEffectiveVisible() ? page : nullptr;
}

/// A click of the real pointer in the middle of the widget (the input is an XWindowInput).
template <class Input>
void clickOn(Input& input, CEGUI::Window* w)
{
    const CEGUI::Rectf r = w->getUnclippedOuterRect().get();
    input.click(static_cast<int>(r.left() + r.getWidth() * 0.5f), static_cast<int>(r.top() + r.getHeight() * 0.5f));
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

} // namespace zrktest
