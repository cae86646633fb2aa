#pragma once
#include <boost/signals2/connection.hpp>
#include <string>
#include <data/ZRKRequestOwner.h>
#include <gui/IOpenBoxData.h>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace core {
struct DialogBoxResult;
}
namespace zrk {
namespace gui {
class IBoxPanel;
}

/// Opens one of the prize boxes the GUI offers after a battle ("flag": the box model's picture,
/// "index", "box": the offer, "pve"). A free box opens when the own battle state allows it; a
/// paid one once the player confirms its price. The box view is told once the server has opened
/// the box (what was in it comes with the room's notice); a refusal is said in a box and the view
/// told the box stays shut. One box at a time: a choice while one is being opened is let go, and
/// the view says to wait. The price question closes with the box screen.
class OpenBoxCallbackEvent : public BaseEvent {
public:
    /// The box the player chose, as it was when he chose it.
    struct Choice {
        bool pve = false;
        std::string flag;
        int boxId = 0;
        int index = 0;
    };

    OpenBoxCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~OpenBoxCallbackEvent() override;

    gui::ParamList* fillParams() override { return emptyParams(); }
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::OpenBox; }
    /// The price box's answer: the first button opens the box bound when it was asked.
    void onConfirm(core::DialogBoxResult& result, const Choice& choice);

    const Choice& lastChoice() const { return mChoice; }
    /// A box is being opened: the server has not answered yet.
    bool isOpening() const { return mOpening; }

private:
    void openBox(const Choice& choice);
    /// The server's answer to the opening: the view told, or the refusal said.
    void onOpened(bool error, const std::string& text, const Choice& choice);
    /// Plays the box model's animation of the picture of that name, when it is a box's.
    static void animate(const std::string& flag);
    /// The box screen the choice was made on (the PVE stage's or the battle's); null without one.
    static gui::IBoxPanel* viewOf(bool pve);
    /// Each frame while the price is asked: a box screen gone takes its question with it.
    void watchScreen(bool pve);

    Choice mChoice;
    bool mOpening = false;
    int mScreenWatch = -1; ///< the timer that watches the box screen while its price is asked
    boost::signals2::scoped_connection mBoxConnection;
    ZRKRequestOwner mRequests; // last: its guard ends first
};

} // namespace zrk
} // namespace kavri3D
