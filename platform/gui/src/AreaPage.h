#pragma once
#include <core/ScopedEventConnection.h>
#include <gui/EventId.h>
#include <vector>

#include "GuiPage.h"
#include "HelpButton.h"
#include "VolumeSliders.h"

namespace kavri3D {
namespace zrk {
namespace gui {

class EventDispatcher;

/// The area page: the zones with their players and level limits, "Enter", the ways to the
/// forge, the bag and the shop, some of the players about beside the zones, and "Log out".
/// In the column at the right: "News" shows the game's news page in the web view in the lists'
/// place (the buttons stay free), "Hide" parks the view out of sight, "Tiles" opens the tile
/// screen (empty: no tile is configured yet), and the Music and Sound sliders.
class AreaPage : public GuiPage {
public:
    static constexpr int kKind = 0;
    static constexpr int kGoEventId = EventId::AreaGo;
    static constexpr int kLoadingEventId = EventId::AreaLoading;
    /// The backdrop picture of the lobby's look (resource group "GUIX1").
    static constexpr const char* kBackdropImage = "GUIX1/AreaBackdrop";
    static constexpr int kWebViewEventId = EventId::HtmlView;
    static constexpr int kTilesEventId = EventId::TileConfig;
    static constexpr int kMembersEventId = EventId::AreaRandomMembers;
    static constexpr int kLogOutEventId = EventId::Logout;
    /// Players of the zones listed under them at most.
    static constexpr std::size_t kMembersShown = 12;
    /// The news page, under the game's own web address.
    static constexpr const char* kNewsPage = "/web/notice.html";
    /// Where the web view goes: over the game window, or parked out of sight.
    static constexpr int kViewOver = 1;
    static constexpr int kViewParked = 3;

    AreaPage(const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent,
             EventDispatcher& dispatcher, std::function<void()> openForge = nullptr,
             std::function<void()> openBag = nullptr, std::function<void()> openShop = nullptr);
    ~AreaPage() override;

    void onFilled(int eventId, ParamList& params) override;
    static constexpr double kRefreshSeconds = 3.0;

    /// Asks the game for the zones and some players about (when the page comes up); onFrame
    /// asks for the zones again at the hall's pace while the page is shown.
    void load(double now);
    void onFrame(double now);
    /// Enters the zone of that row as "Enter" does; false for no such row.
    bool enter(std::size_t row);
    std::size_t zoneCount() const { return mZones.size(); }
    /// "News" and "Hide": the news page over the game or parked; false when the game has no
    /// web address or no web-view event.
    bool showNews(bool over);
    /// "Tiles": asks the game to fill the tile screen, which comes up with its id's raise.
    bool openTiles();
    /// "Log out": the game takes the player back to the log-in screen.
    bool logOut();
    VolumeSliders& volumes() { return mVolumes; }

protected:
    void buildContent(CEGUI::Window& frame) override;

private:
    struct Zone {
        int id;
        std::string name;
    };
    bool onEnterClicked(const CEGUI::EventArgs& args);
    void buildTileScreen(CEGUI::Window& frame);
    void showMembers(ParamList& list);
    /// A button beside the zones whose click runs `action`, its connection kept with the others.
    void addButton(CEGUI::Window& frame, const char* name, const char* text, float x, float y, float w, float h,
                   std::function<void()> action);

    EventDispatcher& mDispatcher;
    HelpButton mHelp{getKind(), params(), mDispatcher};
    std::function<void()> mOpenForge;
    std::function<void()> mOpenBag;
    std::function<void()> mOpenShop;
    core::ScopedEventConnection mForgeConnection;
    core::ScopedEventConnection mBagConnection;
    core::ScopedEventConnection mShopConnection;
    core::ScopedEventConnection mLogOutConnection;
    VolumeSliders mVolumes;
    std::vector<core::ScopedEventConnection> mButtonConnections;
    std::vector<Zone> mZones;
    double mNextRefresh = 0;
    core::ScopedEventConnection mClickedConnection;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
