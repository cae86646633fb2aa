#include "callbacks/QuestionLoadedCallbackEvent.h"

#include <util/JsonText.h>
#include <yake/FileText.h>

#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

const char* const QuestionLoadedCallbackEvent::kFile = "res/GUI/question.json";

QuestionLoadedCallbackEvent::QuestionLoadedCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher,
                                                         const std::string& file)
    : BaseEvent(page, dispatcher), mFile(file)
{
}

QuestionLoadedCallbackEvent::~QuestionLoadedCallbackEvent() = default;

gui::ParamList* QuestionLoadedCallbackEvent::fillParams()
{
    clearParams();
    std::string text, error;
    if (!yake::FileText::read(mFile, text, error, kMaxFile)) {
        writeLog(kLogTrace, "OpenBoxCallbackEvent::receive", "question.json open failed");
        text.clear();
    }
    mQuestion = Json::Value();
    if (!text.empty() && !core::JsonText::parse(text, mQuestion, error)) {
        log(kLogTrace, "question.json is no question document: " + error);
        mQuestion = Json::Value();
    }
    // The document itself, as the GUI reads it; it holds no size or type of its own.
    addNode("question", mQuestion, 0, 0);
    raiseEvent(getEventId());
    return paramList();
}

void QuestionLoadedCallbackEvent::callback(gui::ParamHandle)
{
    if (!GameServices::tutorialStepDone())
        log(kLogTrace, "an answer with no tutorial running: no step to mark done");
}

} // namespace zrk
} // namespace kavri3D
