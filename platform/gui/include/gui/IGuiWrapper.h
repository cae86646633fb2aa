#pragma once
#include <gui/QuestBook.h>

namespace kavri3D {
namespace zrk {
namespace gui {

struct BagData;

/// Through it the GUI asks the game for what it holds: the record of an item id, the player's
/// quests.
class IGuiWrapper {
public:
    virtual ~IGuiWrapper() = default;
    virtual BagData getItemRecord(int itemId) = 0;
    /// The quests as the game holds them now; none unless the game says otherwise.
    virtual QuestBook getQuestBook() { return QuestBook(); }
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
