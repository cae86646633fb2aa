#pragma once
#include <gui/EventId.h>
#include <gui/RoleAttr.h>
#include "PlayerTab.h"

namespace kavri3D {
namespace zrk {
namespace gui {

/// The player page's Stats tab: the free stat points and the four abilities (strength,
/// vitality, dexterity, luck), an amount to add to each, and "Apply", which sends them (86).
/// The new values come back with the player's refresh (17), as every attribute does.
class StatsTab : public PlayerTab {
public:
    static constexpr int kAddEventId = EventId::AddBilityPoint;
    static const char* const kAbilities[4]; ///< "str", "vit", "dex", "luk"

    explicit StatsTab(PlayerPage& page);
    ~StatsTab() override;

    std::string name() const override { return "Stats"; }
    std::string title() const override { return "Stats"; }
    void build(CEGUI::Window& pane) override;
    void onSelected() override;
    void onFilled(int eventId, ParamList& params) override;

    /// Types an amount for ability `index` (0 to 3); false for no such ability.
    bool setAmount(int index, unsigned amount);
    /// Sends the four amounts as they stand, then sets them back to 0; false (nothing sent, the
    /// tab's status line says why) while an amount is not a whole number of 0 or more.
    bool apply();
    /// What the tab's status line says ("" for nothing).
    const std::string& status() const { return mStatus; }

    /// The line of points and abilities as shown.
    const std::string& summary() const { return mSummary; }
    unsigned amount(int index) const;

private:
    void showRole();
    void showStatus(const std::string& text);
    static std::string refusal(int index);

    RoleAttr mRole;
    bool mKnown = false;
    unsigned mAmounts[4] = {0, 0, 0, 0};
    bool mBad[4] = {false, false, false, false}; ///< what was typed is no amount
    std::string mStatus;
    std::string mSummary;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
