#pragma once
#include <vector>

#include "GuiPage.h"

namespace kavri3D {
namespace zrk {
namespace gui {

class EventDispatcher;

/// The area page: the zones with their players and level limits, "Enter", and the way to the forge.
class AreaPage : public GuiPage {
public:
    static constexpr int kKind = 0;
    static constexpr int kGoEventId = 13;
    static constexpr int kLoadingEventId = 14;
    /// The backdrop picture of the lobby's look (resource group "GUIX1").
    static constexpr const char* kBackdropImage = "GUIX1/AreaBackdrop";

    AreaPage(const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent,
             EventDispatcher& dispatcher, std::function<void()> openForge = nullptr,
             std::function<void()> openBag = nullptr, std::function<void()> openShop = nullptr);
    ~AreaPage() override;

    void onFilled(int eventId, ParamList& params) override;
    static constexpr double kRefreshSeconds = 3.0;

    /// Asks the game for the zones (when the page comes up), and again at the hall's pace
    /// while the page is shown.
    void load(double now);
    void onFrame(double now);
    /// Enters the zone of that row as "Enter" does; false for no such row.
    bool enter(std::size_t row);
    std::size_t zoneCount() const { return mZones.size(); }

protected:
    void buildContent(CEGUI::Window& frame) override;

private:
    struct Zone {
        int id;
        std::string name;
    };
    bool onEnterClicked(const CEGUI::EventArgs& args);

    EventDispatcher& mDispatcher;
    std::function<void()> mOpenForge;
    std::function<void()> mOpenBag;
    std::function<void()> mOpenShop;
    CEGUI::Event::ScopedConnection mForgeConnection;
    CEGUI::Event::ScopedConnection mBagConnection;
    CEGUI::Event::ScopedConnection mShopConnection;
    std::vector<Zone> mZones;
    double mNextRefresh = 0;
    CEGUI::Event::ScopedConnection mClickedConnection;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
