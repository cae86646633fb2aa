#pragma once
#include <gui/EventId.h>
#include <vector>
#include "PlayerTab.h"
#include "QuestRows.h"

namespace kavri3D {
namespace zrk {
namespace gui {

/// The player page's Quests tab: the player's quests with their goal and progress; a done
/// quest's reward can be claimed, with one of its objects chosen. The quests are asked of the
/// game (its quest book) as the last refresh (87) or claim (89) left them.
class QuestsTab : public PlayerTab {
public:
    static constexpr int kLoadEventId = EventId::MessionLoad;
    static constexpr int kRewardEventId = EventId::MessionReward;
    static constexpr int kListEventId = EventId::QuestList;

    explicit QuestsTab(PlayerPage& page);
    ~QuestsTab() override;

    std::string name() const override { return "Quests"; }
    std::string title() const override { return "Quests"; }
    void build(CEGUI::Window& pane) override;
    void onSelected() override;
    void onFilled(int eventId, ParamList& params) override;

    // What the player does, as the mouse does it.
    /// Picks a quest of the list; false when there is no such row.
    bool selectQuest(std::size_t row);
    /// Picks object `index` of the picked quest's reward; false when it offers no such one.
    bool chooseObject(std::size_t index);
    /// Claims the picked quest's reward with the chosen object; false (nothing sent) when no
    /// quest is picked or it is not done.
    bool claim();

    const std::vector<QuestRow>& rows() const { return mRows; }
    /// The quest list's lines as shown: name, goal, state.
    std::vector<std::vector<std::string>> lines() const;
    /// A quest state as shown ("Running", "Done: claim it", "Rewarded").
    static std::string stateText(int state);

private:
    /// Asks the game for its quests afresh and shows them.
    void refresh();
    void showRows();
    void showPicked();
    /// An item's name as the game's item record gives it ("Item 3002" when it has none).
    std::string itemName(int itemId);

    std::vector<QuestRow> mRows;
    int mPicked = -1;
    int mObject = -1;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
