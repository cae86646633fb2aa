#include "agent/AgentJobSentEvent.h"

#include <core/EventManager.h>
#include <gui/GuiAnyEvent.h>
#include <gui/IGuiManager.h>

#include "agent/AgentParams.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

std::unique_ptr<AgentJob> AgentJobSentEvent::clone() const { return std::unique_ptr<AgentJob>(new AgentJobSentEvent); }

bool AgentJobSentEvent::load(ZRKAgent*, const std::string& param)
{
    core::XmlConfigHelper config;
    std::string error;
    if (!readAgentParams(param, config, error)) {
        writeLogf(3, "agent", "sent job parameters malformed: ", error);
        return false;
    }
    const int id = config.getIntVal("_evt", 0);

    // A missing screen is no reason to stop the robot: the event is skipped, the task goes on.
    gui::IGuiManager* manager = GameServices::guiManager();
    if (!manager) {
        writeLogf(3, "agent", "no GUI manager: event ", id, " not sent");
        return true;
    }
    boost::shared_ptr<gui::GuiAnyEvent> event(manager->createAnyEvent(id));
    if (!event) {
        writeLogf(3, "agent", "GUI has no event ", id, ": not sent");
        return true;
    }
    event->params.merge(config, "");
    core::EventManager* events = core::EventManager::getSingletonPtr();
    if (!events) {
        writeLogf(3, "agent", "no event manager: event ", id, " not sent");
        return true;
    }
    events->post(event);
    return true;
}

void AgentJobSentEvent::finish() {}

void AgentJobSentEvent::update() {}

} // namespace zrk
} // namespace kavri3D
