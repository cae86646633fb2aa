#include "PreviewTurn.h"

#include <CEGUI/CEGUI.h>
#include <gui/ParamNode.h>

#include "EventDispatcher.h"
#include "GuiLog.h"
#include "ParamStore.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
const char kTurnBox[] = "Turn";
const char kClockwiseBox[] = "Clockwise";
const float kDegreesPerWidth = 360.0f;

CEGUI::ToggleButton* box(CEGUI::Window& parent, const char* name)
{
    return parent.isChild(name) ? static_cast<CEGUI::ToggleButton*>(parent.getChild(name)) : nullptr;
}
} // namespace

PreviewTurn::PreviewTurn(int kind, ParamStore& params, EventDispatcher& dispatcher)
    : mKind(kind), mParams(params), mDispatcher(dispatcher)
{
}

PreviewTurn::~PreviewTurn() { mConnections.clear(); }

void PreviewTurn::build(CEGUI::Window& picture, CEGUI::Window& parent, float x, float y, float w, float h)
{
    mConnections.clear();
    mDragging = false;
    mConnections.emplace_back(picture.subscribeEvent(CEGUI::Window::EventMouseButtonDown,
                                                     CEGUI::Event::Subscriber(&PreviewTurn::onMouseDown, this)));
    mConnections.emplace_back(picture.subscribeEvent(CEGUI::Window::EventMouseMove,
                                                     CEGUI::Event::Subscriber(&PreviewTurn::onMouseMove, this)));
    mConnections.emplace_back(picture.subscribeEvent(CEGUI::Window::EventMouseButtonUp,
                                                     CEGUI::Event::Subscriber(&PreviewTurn::onMouseUp, this)));
    mConnections.emplace_back(
        picture.subscribeEvent(CEGUI::Window::EventInputCaptureLost, [this](const CEGUI::EventArgs&) {
            mDragging = false;
            return true;
        }));
    CEGUI::WindowManager& wm = CEGUI::WindowManager::getSingleton();
    const char* const names[2] = {kTurnBox, kClockwiseBox};
    for (int i = 0; i < 2; ++i) {
        const float top = y + h / 2 * static_cast<float>(i);
        CEGUI::Window* check = wm.createWindow("TaharezLook/Checkbox", names[i]);
        check->setArea(
            CEGUI::URect(CEGUI::UDim(x, 0), CEGUI::UDim(top, 0), CEGUI::UDim(x + w, 0), CEGUI::UDim(top + h / 2, 0)));
        check->setText(names[i]);
        parent.addChild(check);
        mConnections.emplace_back(check->subscribeEvent(CEGUI::ToggleButton::EventSelectStateChanged,
                                                        CEGUI::Event::Subscriber(&PreviewTurn::onBoxChanged, this)));
    }
}

bool PreviewTurn::onMouseDown(const CEGUI::EventArgs& args)
{
    const auto& mouse = static_cast<const CEGUI::MouseEventArgs&>(args);
    if (mouse.button != CEGUI::LeftButton)
        return false;
    // The drag goes on while the pointer leaves the picture, until the button is let go.
    mDragging = mouse.window->captureInput();
    mLastX = mouse.position.d_x;
    return true;
}

bool PreviewTurn::onMouseMove(const CEGUI::EventArgs& args)
{
    const auto& mouse = static_cast<const CEGUI::MouseEventArgs&>(args);
    if (!mDragging)
        return false;
    const float width = mouse.window->getPixelSize().d_width;
    const float dx = mouse.position.d_x - mLastX;
    if (dx == 0 || width <= 0)
        return true;
    mLastX = mouse.position.d_x;
    try {
        drag(dx * kDegreesPerWidth / width);
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "the preview did not turn: ", e.what());
    }
    return true;
}

bool PreviewTurn::onMouseUp(const CEGUI::EventArgs& args)
{
    const auto& mouse = static_cast<const CEGUI::MouseEventArgs&>(args);
    if (!mDragging || mouse.button != CEGUI::LeftButton)
        return false;
    mDragging = false;
    mouse.window->releaseInput();
    return true;
}

bool PreviewTurn::onBoxChanged(const CEGUI::EventArgs& args)
{
    CEGUI::Window* parent = static_cast<const CEGUI::WindowEventArgs&>(args).window->getParent();
    CEGUI::ToggleButton* turn = parent ? box(*parent, kTurnBox) : nullptr;
    CEGUI::ToggleButton* clockwise = parent ? box(*parent, kClockwiseBox) : nullptr;
    if (!turn || !clockwise)
        return true; // the boxes are still being made
    try {
        setTurning(turn->isSelected(), clockwise->isSelected());
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "the preview's turning did not change: ", e.what());
    }
    return true;
}

bool PreviewTurn::drag(float degrees)
{
    mParams.clear(mKind);
    mParams.set(mKind, ParamNode::real("mouse_span", degrees));
    return mDispatcher.callback(kEventId, mParams.handle(mKind));
}

bool PreviewTurn::setTurning(bool turn, bool clockwise)
{
    mParams.clear(mKind);
    mParams.set(mKind, ParamNode::boolean("flags", turn));
    mParams.set(mKind, ParamNode::boolean("isClock", clockwise));
    return mDispatcher.callback(kEventId, mParams.handle(mKind));
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
