// The quests as the game and the player page's Quests tab take them: a reply whose views carry
// the quest library ("lib/quest") and the player's quests ("pcQuests"), whatever they hold, and
// the tutorial's question document (res/GUI/question.json) as its event reads it and the
// question box looks a step up in it. The input's first byte picks which; the rest is the text.
#include <cstdint>
#include <cstdlib>
#include <data/ZRKGameData.h>
#include <data/ZRKJson.h>
#include <data/ZRKQuestLib.h>
#include <data/ZRKRequestBroker.h>
#include <data/ZRKSession.h>
#include <data/ZRKTaskRequest.h>

#include "FuzzSupport.h"
#include "QuestRows.h"
#include "QuestionDoc.h"
#include "callbacks/QuestionLoadedCallbackEvent.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

void questList(const std::string& text)
{
    ZRKSession session(nullptr); // no embedded server: the input answers
    bool done = false;
    ZRKTaskRequest::getPcQuestList(true, [&](bool, const std::string&) { done = true; });
    ZRKQuestLib* library = ZRKTaskRequest::getQuestLib();
    int refreshed = 0;
    if (library)
        library->refreshQuest([&] { ++refreshed; });
    const Json::Value views = ZRKJson::parse(text);
    ZRKRequestBroker& broker = session.getBroker();
    broker.completeOldest("getPcQuestList", false, "", views);
    broker.completeOldest("getPcQuestList", !views.isObject(), "refused", views);
    session.update(0);
    // Each completion once, failed or not.
    if (!done || (library && refreshed != 1))
        std::abort();
    const std::vector<gui::QuestRow> rows =
        gui::QuestRows::read(library ? library->records() : Json::Value(), session.getGameData().viewJson("pcQuests"));
    if (rows.size() > gui::QuestRows::kMostRows)
        std::abort();
    for (const gui::QuestRow& row : rows) {
        if (row.objects.size() > gui::QuestRows::kMostObjects || row.progress < 0 || row.id <= 0)
            std::abort();
        (void)gui::QuestRows::progressText(row);
        (void)gui::QuestRows::rewardText(row);
    }
    if (library)
        (void)library->getDoingNum(32);
}

void questionDocument(const std::uint8_t* data, std::size_t size)
{
    QuestionLoadedCallbackEvent event(nullptr, nullptr, zrkfuzz::FuzzSupport::write("question.json", data, size));
    gui::ParamList* list = event.fillParams();
    if (!list || list->size() != 1 || list->front()->name != "question")
        std::abort();
    const Json::Value* document = boost::any_cast<Json::Value>(&list->front()->value);
    if (!document)
        std::abort();
    for (int step : {0, 1, 5, 35, -1}) {
        gui::QuestionDoc question;
        if (gui::QuestionDoc::find(*document, step, question) &&
            (question.answers.empty() || question.answers.size() > gui::QuestionDoc::kMostAnswers ||
             question.right < 0 || static_cast<std::size_t>(question.right) >= question.answers.size()))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    if (size == 0)
        return 0;
    if (data[0] == 'q')
        questionDocument(data + 1, size - 1);
    else
        questList(zrkfuzz::FuzzSupport::text(data + 1, size - 1));
    return 0;
}
