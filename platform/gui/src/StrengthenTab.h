#pragma once
#include <gui/EventId.h>
#include <vector>
#include <gui/ShopData.h>
#include "PlayerTab.h"

namespace kavri3D {
namespace zrk {
namespace gui {

/// The player page's strengthening tab: the strengthening goods the shop lists (whether they are
/// on sale or not) with their first price, asked for each time the tab comes to front.
class StrengthenTab : public PlayerTab {
public:
    static constexpr int kListEventId = EventId::ArmStrongLoad;

    explicit StrengthenTab(PlayerPage& page) : PlayerTab(page) {}

    std::string name() const override { return "Strengthen"; }
    std::string title() const override { return "Strengthen"; }
    void build(CEGUI::Window& pane) override;
    void onSelected() override;
    void onFilled(int eventId, ParamList& params) override;

    /// The entries shown, as the list event handed them.
    const std::vector<ShopData>& entries() const { return mEntries; }

private:
    void show();

    std::vector<ShopData> mEntries;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
