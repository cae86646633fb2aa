#include "callbacks/MessionRewardCallbackEvent.h"

#include <data/ZRKParamText.h>
#include <data/ZRKTaskRequest.h>
#include <data/ZRKUserRequest.h>
#include <json/json.h>
#include <vector>

#include "callbacks/RefusalBox.h"

namespace kavri3D {
namespace zrk {

MessionRewardCallbackEvent::MessionRewardCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

MessionRewardCallbackEvent::~MessionRewardCallbackEvent() = default;

std::string MessionRewardCallbackEvent::requestText(long questId, int objectId)
{
    Json::Value claim(Json::objectValue);
    claim["q_id"] = Json::Int64(questId);
    claim["items"] = Json::Value(Json::arrayValue);
    if (objectId != 0)
        claim["items"].append(objectId);
    return ZRKParamText::make(claim);
}

void MessionRewardCallbackEvent::callback(gui::ParamHandle params)
{
    int objectId = 0;
    long questId = 0;
    if (!readParam("objid", params, objectId) || !readParam("q_id", params, questId))
        return;
    mRequests.track(ZRKTaskRequest::rewardQuest(
        requestText(questId, objectId),
        mRequests.guard([this](bool error, const std::string& text) { onRewarded(error, text); })));
}

void MessionRewardCallbackEvent::onRewarded(bool error, const std::string& text)
{
    if (error)
        return RefusalBox::show(text);
    mRequests.track(ZRKTaskRequest::getPcQuestList(
        false, mRequests.guard([this](bool e, const std::string& text) { onQuestList(e, text); })));
}

void MessionRewardCallbackEvent::onQuestList(bool error, const std::string& text)
{
    if (error)
        return RefusalBox::show(text);
    raiseEvent(gui::EventId::QuestList);
    std::vector<int> slots;
    ZRKUserRequest::getDirtySlots(slots, true);
    if (!slots.empty())
        raiseEvent(gui::EventId::PackageLoading);
}

} // namespace zrk
} // namespace kavri3D
