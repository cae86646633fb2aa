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

/// Opens one of the prize boxes the GUI offers after a battle ("flag": the box model's picture,
/// "index", "box": the offer, "pve"). A free box opens when the own battle state allows it; a
/// paid one once the player confirms its price. The request goes and the box view is told at
/// once; what was in the box comes with the room's notice.
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

private:
    void openBox(const Choice& choice);
    /// Plays the box model's animation of the picture of that name, when it is a box's.
    static void animate(const std::string& flag);

    Choice mChoice;
    ZRKRequestOwner mRequests;
    boost::signals2::scoped_connection mBoxConnection;
};

} // namespace zrk
} // namespace kavri3D
