#pragma once
// What must never reach the player's screen: a message key of res/lan/texts.json shown as it
// stands, or a word of the game's own plumbing (a role, a parameter, a picture's name).
#include <CEGUI/CEGUI.h>
#include <algorithm>
#include <fstream>
#include <json/json.h>
#include <util/JsonText.h>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace zrktest {

/// The message keys of the texts the game ships.
inline std::set<std::string> textKeys(const std::string& file = "res/lan/texts.json")
{
    std::set<std::string> keys;
    Json::Value doc;
    std::string error;
    if (kavri3D::core::JsonText::readFile(file, doc, error) && doc.isObject())
        for (const std::string& k : doc.getMemberNames())
            keys.insert(k);
    return keys;
}

/// Every text of the window and the windows under it (list items too) that is a message key,
/// holds a plumbing word, or is one of the pictures' names; each as "window: text".
inline std::vector<std::string> internalWords(CEGUI::Window* root, const std::set<std::string>& keys = textKeys())
{
    static const std::regex plumbing(
        "\\b(myself|showview|myrole|pci_[a-z_]+|i_id|i_name|s_id|s_price|carlist|buyed|bagList|eqcoll|clsmap|"
        "currentRole|rolelist|shoplist|guildshop|arenashop|luk_slot|op_slot|equip_slot|mix_type|flags)\\b");
    static const std::regex pictureName("^(box|red|blue)[0-9]$");
    std::vector<std::string> found;
    auto check = [&](const std::string& where, const std::string& text) {
        if (text.empty())
            return;
        // A key may stand among other words (a label before its amount, one award a line).
        bool keyed = keys.count(text) > 0;
        for (std::size_t at = 0; !keyed && at < text.size();) {
            const std::size_t end = std::min(text.find_first_of(" \n\t", at), text.size());
            keyed = keys.count(text.substr(at, end - at)) > 0;
            at = end + 1;
        }
        if (keyed || std::regex_search(text, plumbing) || std::regex_match(text, pictureName))
            found.push_back(where + ": " + text);
    };
    std::vector<CEGUI::Window*> todo{root};
    while (!todo.empty()) {
        CEGUI::Window* w = todo.back();
        todo.pop_back();
        if (!w)
            continue;
        const std::string name = w->getNamePath().c_str();
        check(name, w->getText().c_str());
        check(name + " (tooltip)", w->getTooltipText().c_str());
        if (auto* list = dynamic_cast<CEGUI::Listbox*>(w))
            for (std::size_t i = 0; i < list->getItemCount(); ++i)
                check(name + " (line)", list->getListboxItemFromIndex(i)->getText().c_str());
        if (auto* grid = dynamic_cast<CEGUI::MultiColumnList*>(w))
            for (unsigned r = 0; r < grid->getRowCount(); ++r)
                for (unsigned c = 0; c < grid->getColumnCount(); ++c)
                    if (CEGUI::ListboxItem* item = grid->getItemAtGridReference(CEGUI::MCLGridRef(r, c)))
                        check(name + " (cell)", item->getText().c_str());
        for (std::size_t i = 0; i < w->getChildCount(); ++i)
            todo.push_back(w->getChildAtIdx(i));
    }
    return found;
}

} // namespace zrktest
