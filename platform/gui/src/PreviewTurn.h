#pragma once
#include <core/ScopedEventConnection.h>
#include <CEGUI/Event.h>
#include <vector>
#include <gui/EventId.h>

namespace CEGUI {
class EventArgs;
class Window;
} // namespace CEGUI

namespace kavri3D {
namespace zrk {
namespace gui {

class EventDispatcher;
class ParamStore;

/// The player page's preview figure turned by the player: a drag across its picture turns it
/// (the picture's width a whole turn, to the right for a drag to the right), and the "Turn" and
/// "Clockwise" boxes set whether, and which way, it turns by itself. Both go through the
/// preview's turning event.
class PreviewTurn {
public:
    static constexpr int kEventId = EventId::TryRoomRoll3DModel;

    /// `kind`: the page whose values the event's calls carry.
    PreviewTurn(int kind, ParamStore& params, EventDispatcher& dispatcher);
    ~PreviewTurn();
    PreviewTurn(const PreviewTurn&) = delete;
    PreviewTurn& operator=(const PreviewTurn&) = delete;

    /// Takes the drags on the preview's picture and adds the two boxes under `parent`, in the area
    /// given as fractions of it.
    void build(CEGUI::Window& picture, CEGUI::Window& parent, float x, float y, float w, float h);
    /// A turn of the figure by that many degrees, as a drag makes it; false without the event.
    bool drag(float degrees);
    /// The turning by itself, as the boxes set it; false without the event.
    bool setTurning(bool turn, bool clockwise);

private:
    bool onMouseDown(const CEGUI::EventArgs& args);
    bool onMouseMove(const CEGUI::EventArgs& args);
    bool onMouseUp(const CEGUI::EventArgs& args);
    bool onBoxChanged(const CEGUI::EventArgs& args);

    const int mKind;
    ParamStore& mParams;
    EventDispatcher& mDispatcher;
    bool mDragging = false;
    float mLastX = 0; ///< the pointer's x at the last step of the drag
    std::vector<core::ScopedEventConnection> mConnections;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
