#include "events/ShowHelpEvent.h"

#include <algorithm>
#include <core/ClientState.h>
#include <core/ClientStateTable.h>
#include <core/Frame.h>
#include <data/ZRKSession.h>
#include <data/ZRKUserRequest.h>
#include <gui/IGuiEffect.h>
#include <gui/IGuiManager.h>

#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

ShowHelpEvent::ShowHelpEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher) {}

void ShowHelpEvent::callback(gui::ParamHandle)
{
    core::ClientState* state = GameServices::currentState();
    if (!state)
        return;
    const std::string from = state->getName();
    if (from != core::ClientStateTable::kArea && from != core::ClientStateTable::kPlayerHall) {
        if (core::Frame* frame = GameServices::frame())
            frame->messageBox("error/title1", "warning/battle_no_guide", core::Frame::kNoticeBox);
        return;
    }
    // The lesson goes into the tutorial's parameter text: only a number may, whatever the
    // server sent.
    const int lesson = ZRKUserRequest::getPc_id().getIntVal("pc_newbie_task", 0);
    if (lesson >= kLessons) {
        // Every lesson is done: no lesson would play, so the tutorial is not entered at all.
        if (core::Frame* frame = GameServices::frame())
            frame->messageBox("warning/title", "msg/guide_all_done", core::Frame::kNoticeBox);
        return;
    }
    if (from == core::ClientStateTable::kPlayerHall) {
        // The hall drops out of sight as the lesson loads.
        if (gui::IGuiManager* manager = GameServices::guiManager()) {
            if (gui::IGuiEffect* effect = manager->getEffect()) {
                effect->stop();
                effect->load("halldropout");
                effect->rewind();
                effect->setSeconds(kDropoutSeconds);
                effect->play();
            }
            manager->resetPages();
        }
    }
    ZRKSession* session = GameServices::session();
    if (!session)
        return;
    session->teleport(std::string(), core::ClientStateTable::kTutorial,
                      "adv=" + std::to_string(std::max(lesson, 0)) + "&prev=" + from);
}

} // namespace zrk
} // namespace kavri3D
