#pragma once
#include <cstddef>
#include <json/json.h>
#include <string>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The tutorial's question box: hands the GUI the question document ("question", read whole
/// from res/GUI/question.json; its content is the GUI's), and an answer marks the tutorial's
/// current step done.
class QuestionLoadedCallbackEvent : public BaseEvent {
public:
    static const char* const kFile;
    /// The question document is small; anything larger is no document of ours.
    static constexpr std::size_t kMaxFile = 256 * 1024;

    QuestionLoadedCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher,
                                const std::string& file = kFile);
    ~QuestionLoadedCallbackEvent() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::QuestionLoaded; }

    /// The document as last read: null when the file was missing or no JSON.
    const Json::Value& question() const { return mQuestion; }

private:
    std::string mFile;
    Json::Value mQuestion;
};

} // namespace zrk
} // namespace kavri3D
