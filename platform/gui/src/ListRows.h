#pragma once
#include <CEGUI/Event.h>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace CEGUI {
class MultiColumnList;
class Listbox;
class Window;
} // namespace CEGUI

namespace kavri3D {
namespace zrk {
namespace gui {

/// What the lobby pages share: lists of text rows, and the values they hand to events.
class ListRows {
public:
    static void addColumns(CEGUI::MultiColumnList& list, const std::vector<std::pair<const char*, float>>& columns);
    /// Replaces the rows; the selection goes with them.
    static void fill(CEGUI::MultiColumnList& list, const std::vector<std::vector<std::string>>& rows);
    /// The selected row, -1 for none.
    static int selectedRow(const CEGUI::MultiColumnList& list);
    /// Appends a line, keeping at most `keep` (the oldest go), and shows the newest.
    static void appendLine(CEGUI::Listbox& box, const std::string& line, std::size_t keep);
    static void setLines(CEGUI::Listbox& box, const std::vector<std::string>& lines);
    /// The selected line, -1 for none.
    static int selectedLine(const CEGUI::Listbox& box);
    /// A cart's lines can be taken out as a player expects: the picked line by Delete or by a
    /// double click on it; `remove` gets its index. The caller keeps the connections.
    static std::vector<CEGUI::Event::Connection> removableLines(CEGUI::Listbox& box, std::function<void(int)> remove);
    /// A cart's buttons: "Take out" while a line is picked, "Empty cart" while it has any (null
    /// windows are passed over).
    static void enableCartButtons(const CEGUI::Listbox* cart, CEGUI::Window* takeOut, CEGUI::Window* empty);
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
