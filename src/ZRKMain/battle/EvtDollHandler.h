#pragma once
#include <string>
#include <boost/signals2/connection.hpp>
#include <core/ScopedEventConnection.h>
#include <core/IEventHandler.h>
#include <json/value.h>

namespace CEGUI {
class EventArgs;
class Window;
} // namespace CEGUI

namespace kavri3D {
namespace core {
class Event;
}
namespace zrk {

class BattleRoom;

/// The own doll's events for the battle room: a prop used (PropUsed), the own status
/// (OwnStatus: kill streaks, low health, wants, grades, the battle bar's numbers, rage, sight
/// and the paid revive) and a doll's bubble changing (DollBubble). Acts only while the land is loaded and
/// not finished; the room's filter sees each event first.
class EvtDollHandler : public core::IEventHandler {
public:
    static constexpr const char* kRageFlash = "sp_angry2.swf";
    static constexpr const char* kPropFlash = "sp_item.swf";
    /// The Y key (scan code) that accepts a revive.
    static constexpr unsigned kReviveKey = 0x15;

    explicit EvtDollHandler(BattleRoom& room) : mRoom(room) {}
    /// Closes the revive panel and stops the blank-shot notice.
    ~EvtDollHandler() override;
    std::string getName() const override { return "BattleRoom_EvtDollHandler"; }
    bool handle(const core::Event& event) override;

    /// Offers a paid revive while the own doll is down (once per downing).
    void openRevivePanel();
    void closeRevivePanel();
    /// Y on the shown panel: revive when the money is there, else the warning.
    bool onReviveKey(unsigned scanCode);

    /// Every frame of the fight: the battle bar follows the own health, energy and fury as the
    /// land changes them (walking spends energy between events), the own bubble with them.
    void followOwn();
    /// A new fight on the battle bar: the own numbers are told afresh on the next frame.
    void tellOwnAgain() { mToldScreen = nullptr; }

    bool isRageFlashUp() const { return mRageFlashUp; }
    bool isReviveShown() const { return mReviveShown; }
    CEGUI::Window* getRevivePanel() const { return mRevivePanel; }
    const Json::Value& getCostTable() const { return mCostTable; }

private:
    void propUsed(const core::Event& event);
    void status(const core::Event& event);
    /// The heads-up state of the own doll, after every status event.
    void refreshOwn();
    /// Tells the battle bar the own numbers; true when any changed since last told.
    bool tellOwnNumbers();
    /// The next revive's currency and cost by the revives done; false for a malformed table.
    bool nextPrice(int& currency, int& cost) const;
    bool onKeyDown(const CEGUI::EventArgs& args);

    BattleRoom& mRoom;
    bool mRageFlashUp = false;
    int mToldOwn[6] = {-1, -1, -1, -1, -1, -1}; ///< hp, xhp, sp, xsp, fury, xfury as last told
    const void* mToldScreen = nullptr;          ///< the battle bar they were told to
    bool mReviveShown = false;
    Json::Value mCostTable;
    CEGUI::Window* mRevivePanel = nullptr;
    core::ScopedEventConnection mKeyDown;          ///< the Y key while the revive panel is up
    boost::signals2::scoped_connection mBoxAnswer; ///< the money warning's answer
};

} // namespace zrk
} // namespace kavri3D
