#include "ListRows.h"

#include <CEGUI/CEGUI.h>

#include <text/CeguiText.h>

namespace kavri3D {
namespace zrk {
namespace gui {

void ListRows::addColumns(CEGUI::MultiColumnList& list, const std::vector<std::pair<const char*, float>>& columns)
{
    CEGUI::uint id = 0;
    for (const auto& c : columns)
        list.addColumn(toCeguiString(c.first), id++, CEGUI::UDim(c.second, 0));
}

void ListRows::fill(CEGUI::MultiColumnList& list, const std::vector<std::vector<std::string>>& rows)
{
    list.resetList();
    const CEGUI::uint columns = list.getColumnCount();
    for (const std::vector<std::string>& row : rows) {
        const CEGUI::uint at = list.addRow();
        for (CEGUI::uint c = 0; c < columns && c < row.size(); ++c) {
            auto* item = new CEGUI::ListboxTextItem(outsideText(row[c]));
            item->setSelectionBrushImage("TaharezLook/MultiListSelectionBrush");
            list.setItem(item, c, at);
        }
    }
}

int ListRows::selectedRow(const CEGUI::MultiColumnList& list)
{
    CEGUI::ListboxItem* item = list.getFirstSelectedItem();
    return item ? static_cast<int>(list.getItemRowIndex(item)) : -1;
}

void ListRows::appendLine(CEGUI::Listbox& box, const std::string& line, std::size_t keep)
{
    auto* item = new CEGUI::ListboxTextItem(outsideText(line));
    box.addItem(item);
    while (box.getItemCount() > keep && box.getItemCount() > 0)
        box.removeItem(box.getListboxItemFromIndex(0));
    box.ensureItemIsVisible(item);
}

void ListRows::setLines(CEGUI::Listbox& box, const std::vector<std::string>& lines)
{
    box.resetList();
    for (const std::string& line : lines) {
        auto* item = new CEGUI::ListboxTextItem(outsideText(line));
        item->setSelectionBrushImage("TaharezLook/MultiListSelectionBrush"); // a picked line shows as picked
        box.addItem(item);
    }
}

int ListRows::selectedLine(const CEGUI::Listbox& box)
{
    CEGUI::ListboxItem* item = box.getFirstSelectedItem();
    return item ? static_cast<int>(box.getItemIndex(item)) : -1;
}

std::vector<CEGUI::Event::Connection> ListRows::removableLines(CEGUI::Listbox& box, std::function<void(int)> remove)
{
    CEGUI::Listbox* list = &box; // the connections go with the list's window
    std::vector<CEGUI::Event::Connection> out;
    out.push_back(box.subscribeEvent(CEGUI::Window::EventKeyDown, [list, remove](const CEGUI::EventArgs& args) {
        const auto& key = static_cast<const CEGUI::KeyEventArgs&>(args);
        if (key.scancode != CEGUI::Key::Delete || selectedLine(*list) < 0)
            return false;
        remove(selectedLine(*list));
        return true;
    }));
    out.push_back(
        box.subscribeEvent(CEGUI::Window::EventMouseDoubleClick, [list, remove](const CEGUI::EventArgs& args) {
            // The first click of the two picked the line under the pointer.
            const auto& mouse = static_cast<const CEGUI::MouseEventArgs&>(args);
            CEGUI::ListboxItem* under = list->getItemAtPoint(mouse.position);
            if (mouse.button != CEGUI::LeftButton || !under)
                return false;
            remove(static_cast<int>(list->getItemIndex(under)));
            return true;
        }));
    return out;
}

void ListRows::enableCartButtons(const CEGUI::Listbox* cart, CEGUI::Window* takeOut, CEGUI::Window* empty)
{
    if (takeOut)
        takeOut->setEnabled(cart && selectedLine(*cart) >= 0);
    if (empty)
        empty->setEnabled(cart && cart->getItemCount() > 0);
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
