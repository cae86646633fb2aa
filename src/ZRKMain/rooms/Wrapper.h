#pragma once
#include <gui/IGuiWrapper.h>

#include <gui/BagData.h>

namespace kavri3D {
namespace zrk {

/// Gives the GUI the record of an item id, filled from the equipment resources, and the
/// player's quests from the game's data.
class Wrapper : public gui::IGuiWrapper {
public:
    /// An empty record with the id when there are no equipment resources.
    gui::BagData getItemRecord(int itemId) override;
    /// The quest library's records and the player's quests; null values for what the game
    /// does not hold (before a log-on).
    gui::QuestBook getQuestBook() override;
};

} // namespace zrk
} // namespace kavri3D
