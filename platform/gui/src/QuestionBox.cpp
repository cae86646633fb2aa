#include "QuestionBox.h"

#include <CEGUI/CEGUI.h>
#include <boost/any.hpp>
#include <cstdlib>
#include <json/json.h>

#include <text/CeguiText.h>
#include "EventDispatcher.h"
#include "ParamStore.h"
#include "QuestionDoc.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
const char kAnswerPrefix[] = "Answer";
} // namespace

QuestionBox::QuestionBox(ParamStore& params, ParentSource parent, EventDispatcher& dispatcher)
    : GuiPage(kKind, "QuestionBox", "A question", params, std::move(parent)), mDispatcher(dispatcher)
{
    setFrameArea(0.25f, 0.3f, 0.75f, 0.7f);
}

QuestionBox::~QuestionBox() = default;

bool QuestionBox::ask(int step)
{
    ParamList* list = mDispatcher.find(kEventId) ? mDispatcher.fillParams(kEventId) : nullptr;
    const Json::Value* document = nullptr;
    if (list)
        for (const ParamNode* node : *list)
            if (node && node->name == "question")
                document = boost::any_cast<Json::Value>(&node->value);
    QuestionDoc question;
    if (!document || !QuestionDoc::find(*document, step, question))
        return false;
    mText = question.text;
    mAnswers = question.answers;
    mRight = question.right;
    mVerdict.clear();
    mOpen = true;
    destroyWindow();
    setVisible(true);
    return true;
}

bool QuestionBox::answer(int index)
{
    if (!mOpen || index < 0 || static_cast<std::size_t>(index) >= mAnswers.size())
        return false;
    if (index != mRight) {
        mVerdict = "Not quite. Try again.";
        if (CEGUI::Window* w = window())
            if (CEGUI::Window* verdict = w->getChildRecursive("Verdict"))
                verdict->setText(toCeguiString(mVerdict));
        return false;
    }
    mVerdict = "Right!";
    // Called from the answer's own click: the windows are hidden now and made afresh (or
    // destroyed) on the next step, never inside their own handler.
    mOpen = false;
    setVisible(false);
    params().clear(getKind());
    mDispatcher.callback(kEventId, params().handle(getKind()));
    return true;
}

void QuestionBox::close()
{
    mOpen = false;
    mConnections.clear();
    destroyWindow();
}

bool QuestionBox::onAnswerClicked(const CEGUI::EventArgs& args)
{
    const auto& e = static_cast<const CEGUI::WindowEventArgs&>(args);
    const std::string name = e.window ? fromCeguiString(e.window->getName()) : std::string();
    if (name.compare(0, sizeof(kAnswerPrefix) - 1, kAnswerPrefix) == 0)
        answer(std::atoi(name.c_str() + sizeof(kAnswerPrefix) - 1));
    return true;
}

void QuestionBox::buildContent(CEGUI::Window& frame)
{
    mConnections.clear();
    // The document is a data file: its texts are shown as written, never read as markup.
    CEGUI::Window* text = addWidget(frame, "TaharezLook/StaticText", "Question", "", 0.04f, 0.02f, 0.92f, 0.3f);
    text->setText(outsideText(mText));
    text->setProperty("HorzFormatting", "WordWrapLeftAligned");
    const float h = 0.5f / static_cast<float>(mAnswers.size() > 0 ? mAnswers.size() : 1);
    for (std::size_t i = 0; i < mAnswers.size(); ++i) {
        CEGUI::Window* button = addWidget(frame, "TaharezLook/Button", (kAnswerPrefix + std::to_string(i)).c_str(), "",
                                          0.1f, 0.34f + h * static_cast<float>(i), 0.8f, h - 0.01f);
        button->setText(outsideText(mAnswers[i]));
        mConnections.emplace_back(button->subscribeEvent(
            CEGUI::PushButton::EventClicked, CEGUI::Event::Subscriber(&QuestionBox::onAnswerClicked, this)));
    }
    addWidget(frame, "TaharezLook/StaticText", "Verdict", mVerdict, 0.04f, 0.86f, 0.92f, 0.12f);
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
