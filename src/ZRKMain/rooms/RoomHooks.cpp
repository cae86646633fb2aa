#include "rooms/RoomHooks.h"

#include <core/Application.h>
#include <core/Frame.h>

namespace kavri3D {
namespace zrk {

namespace {
RoomHooks::GuiManagerSource gGuiManagerSource;
RoomHooks::FrameSource gFrameSource;
RoomHooks::RoomRefresher gRoomRefresher;
} // namespace

void RoomHooks::setRoomRefresher(RoomRefresher refresher) { gRoomRefresher = std::move(refresher); }

void RoomHooks::refreshRoom()
{
    if (gRoomRefresher)
        gRoomRefresher();
}

void RoomHooks::setGuiManagerSource(GuiManagerSource source) { gGuiManagerSource = std::move(source); }

void RoomHooks::setFrameSource(FrameSource source) { gFrameSource = std::move(source); }

gui::IGuiManager* RoomHooks::guiManager() { return gGuiManagerSource ? gGuiManagerSource() : nullptr; }

core::Frame* RoomHooks::mainFrame()
{
    if (gFrameSource)
        if (core::Frame* frame = gFrameSource())
            return frame;
    core::Application* app = core::Application::getSingletonPtr();
    return app ? app->getMainFrame().get() : nullptr;
}

} // namespace zrk
} // namespace kavri3D
