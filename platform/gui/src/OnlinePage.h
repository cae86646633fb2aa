#pragma once
#include <core/ScopedEventConnection.h>
#include <gui/EventId.h>
#include <set>
#include <vector>

#include "GuiPage.h"

namespace kavri3D {
namespace zrk {
namespace gui {

class EventDispatcher;

/// The hall's players: each member by nickname and level once its record is known; the
/// information of the others is asked for once. Coming up, the list and the own figure are
/// loaded (the arena's own events once the game's refresh shows the zone is an arena);
/// "Refresh" asks for the own entry anew.
class OnlinePage : public GuiPage {
public:
    static constexpr int kKind = 4;
    static constexpr int kRefreshEventId = EventId::HallFriendListRefesh;
    static constexpr int kArenaRefreshEventId = EventId::ArenaFriendListRefesh;
    static constexpr int kLoadingEventId = EventId::HallFriendListLoading;
    static constexpr int kArenaLoadingEventId = EventId::ArenaFriendListLoading;
    static constexpr int kOwnFigureEventId = EventId::HallPlayerAttrLoading;
    static constexpr int kArenaOwnFigureEventId = EventId::ArenaPlayerAttrLoading;
    static constexpr int kOwnRefreshEventId = EventId::HallPlayerAttrRefresh;
    static constexpr int kArenaOwnRefreshEventId = EventId::ArenaPlayerAttrRefresh;

    OnlinePage(const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent,
               EventDispatcher& dispatcher);

    void onFilled(int eventId, ParamList& params) override;
    /// A fresh hall: names asked for before may be asked again; the list and the own figure load.
    void open();
    /// "Refresh": the own entry is asked for anew.
    bool refreshOwn();
    const std::vector<std::string>& shownPlayers() const { return mShown; }

protected:
    void buildContent(CEGUI::Window& frame) override;

private:
    void showMembers(ParamList& list);
    void call(int eventId);

    EventDispatcher& mDispatcher;
    bool mArena = false; ///< the game's refresh named the hall an arena's
    core::ScopedEventConnection mRefreshConnection;
    std::vector<std::string> mShown;
    std::set<std::string> mAsked;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
