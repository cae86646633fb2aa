#include "GuiPage.h"

#include <CEGUI/CEGUI.h>

#include <text/CeguiText.h>
#include <gui/ParamNode.h>
#include "EventDispatcher.h"
#include "GuiLog.h"
#include "ParamStore.h"

namespace kavri3D {
namespace zrk {
namespace gui {

GuiPage::GuiPage(int kind, const std::string& windowName, const std::string& title, ParamStore& params,
                 ParentSource parent)
    : mKind(kind), mWindowName(windowName), mTitle(title), mParams(params), mParent(std::move(parent))
{
}

GuiPage::~GuiPage() { destroyWindow(); }

CEGUI::Window* GuiPage::getRootWindow()
{
    if (!mWindow)
        makeWindow();
    return mWindow;
}

bool GuiPage::showWarning(EventDispatcher& dispatcher, const std::string& text)
{
    if (!dispatcher.find(kMessageBoxEventId))
        return false;
    mParams.set(mKind, ParamNode::integer("flag", 1));
    mParams.set(mKind, ParamNode::text("arg1", "warning/title"));
    mParams.set(mKind, ParamNode::text("arg2", text));
    return dispatcher.callback(kMessageBoxEventId, mParams.handle(mKind));
}

int GuiPage::holderOf(int eventId)
{
    static const struct {
        int raised, holder;
    } kHeld[] = {{EventId::FixedMapRoomLoading, EventId::RoomLoading},
                 {EventId::PveRoomLoading, EventId::RoomLoading},
                 {EventId::FixedMapRoomListen, EventId::RoomListen},
                 {EventId::PveRoomListen, EventId::RoomListen},
                 {EventId::PveMapList, EventId::MapList},
                 {EventId::PveChangeMap, EventId::ChangeMap},
                 {EventId::ArenaRoomCreate, EventId::RoomCreate}};
    for (const auto& held : kHeld)
        if (held.raised == eventId)
            return held.holder;
    return eventId;
}

ParamList& GuiPage::valuesOf(EventDispatcher& dispatcher, int eventId, ParamList& given)
{
    const int holder = holderOf(eventId);
    if (holder == eventId || !given.empty() || dispatcher.find(eventId) || !dispatcher.find(holder))
        return given;
    ParamList* held = dispatcher.fillParams(holder);
    return held ? *held : given;
}

ParamNode* GuiPage::getParam(const std::string& name, ParamHandle params) { return mParams.find(params, name); }

CEGUI::Window* GuiPage::addWidget(CEGUI::Window& frame, const char* type, const char* name, const std::string& text,
                                  float x, float y, float w, float h)
{
    CEGUI::Window* widget = CEGUI::WindowManager::getSingleton().createWindow(type, name);
    widget->setArea(CEGUI::URect(CEGUI::UDim(x, 0), CEGUI::UDim(y, 0), CEGUI::UDim(x + w, 0), CEGUI::UDim(y + h, 0)));
    widget->setText(toCeguiString(text));
    frame.addChild(widget);
    return widget;
}

void GuiPage::setVisible(bool visible)
{
    if (CEGUI::Window* w = visible ? getRootWindow() : mWindow)
        w->setVisible(visible);
}

void GuiPage::makeWindow()
{
    if (!CEGUI::System::getSingletonPtr())
        return;
    CEGUI::Window* parent = mParent ? mParent() : nullptr;
    if (!parent)
        return;
    CEGUI::WindowManager& wm = CEGUI::WindowManager::getSingleton();
    CEGUI::Window* frame = nullptr;
    try {
        frame = wm.createWindow("TaharezLook/FrameWindow", toCeguiString(mWindowName));
        // Drawn straight to the screen: a page's own render texture is made anew at every
        // size the frame passes through while it is laid out, and drawn twice a frame after.
        frame->setUsingAutoRenderingSurface(false);
        frame->setText(outsideText(titleText()));
        frame->setArea(CEGUI::URect(CEGUI::UDim(mArea[0], 0), CEGUI::UDim(mArea[1], 0), CEGUI::UDim(mArea[2], 0),
                                    CEGUI::UDim(mArea[3], 0)));
        auto* fw = static_cast<CEGUI::FrameWindow*>(frame);
        fw->setCloseButtonEnabled(false);
        fw->setSizingEnabled(false);
        frame->setVisible(false);
        buildContent(*frame);
        parent->addChild(frame);
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "page ", mKind, " has no window: ", e.what());
        if (frame)
            wm.destroyWindow(frame);
        return;
    }
    mWindow = frame;
    mDestroyedConnection = frame->subscribeEvent(CEGUI::Window::EventDestructionStarted,
                                                 CEGUI::Event::Subscriber(&GuiPage::onWindowDestroyed, this));
}

std::string GuiPage::titleText() const { return mTitleNote.empty() ? mTitle : mTitle + "    " + mTitleNote; }

void GuiPage::setTitleNote(const std::string& note)
{
    mTitleNote = note;
    if (mWindow)
        mWindow->setText(outsideText(titleText()));
}

void GuiPage::setTitle(const std::string& title)
{
    mTitle = title;
    if (mWindow)
        mWindow->setText(outsideText(titleText()));
}

void GuiPage::setFrameArea(float left, float top, float right, float bottom)
{
    mArea[0] = left;
    mArea[1] = top;
    mArea[2] = right;
    mArea[3] = bottom;
}

CEGUI::Window* GuiPage::addWidget(CEGUI::Window& frame, const char* type, const char* name, const char* text, float x,
                                  float y, float w, float h)
{
    CEGUI::Window* widget = CEGUI::WindowManager::getSingleton().createWindow(type, name);
    widget->setArea(CEGUI::URect(CEGUI::UDim(x, 0), CEGUI::UDim(y, 0), CEGUI::UDim(x + w, 0), CEGUI::UDim(y + h, 0)));
    widget->setText(toCeguiString(text));
    frame.addChild(widget);
    return widget;
}

bool GuiPage::onWindowDestroyed(const CEGUI::EventArgs&)
{
    mWindow = nullptr;
    return true;
}

void GuiPage::destroyWindow()
{
    mDestroyedConnection.reset();
    CEGUI::Window* w = mWindow;
    mWindow = nullptr;
    if (w && CEGUI::WindowManager::getSingletonPtr())
        CEGUI::WindowManager::getSingleton().destroyWindow(w);
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
