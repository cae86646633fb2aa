#pragma once
#include <set>
#include <vector>

#include "GuiPage.h"

namespace kavri3D {
namespace zrk {
namespace gui {

class EventDispatcher;

/// The hall's players: each member by nickname and level once its record is known; the
/// information of the others is asked for once.
class OnlinePage : public GuiPage {
public:
    static constexpr int kKind = 4;
    static constexpr int kRefreshEventId = 30;
    static constexpr int kArenaRefreshEventId = 34;

    OnlinePage(const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent,
               EventDispatcher& dispatcher);

    void onFilled(int eventId, ParamList& params) override;
    /// A fresh hall: names asked for before may be asked again.
    void open();
    const std::vector<std::string>& shownPlayers() const { return mShown; }

protected:
    void buildContent(CEGUI::Window& frame) override;

private:
    EventDispatcher& mDispatcher;
    std::vector<std::string> mShown;
    std::set<std::string> mAsked;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
