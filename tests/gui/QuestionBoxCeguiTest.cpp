// The tutorial's question box in the GUI plug-in: a guide step with a question in the game's
// document opens it, a wrong answer says so and keeps it open, the right one tells the game
// (90's callback) and closes it; a step without a question, a document that is no document or
// questions nobody can answer right open nothing.
#include <CEGUI/CEGUI.h>
#include <core/GuiSystem.h>
#include <gui/IEventDispatcher.h>
#include <gui/IGuideView.h>
#include <json/json.h>

#include "PluginFixture.h"
#include "support/TestEnv.h"

using namespace kavri3D::zrk;

namespace {

struct QuestionBoxTest : zrktest::PluginFixture {
    std::unique_ptr<kavri3D::core::GuiSystem> ceguiSystem = kavri3D::core::GuiSystem::createHeadless(1024, 768);
    gui::ParamNode question{"question", Json::Value(), 0, 0};
    zrktest::FakeEvent* event = nullptr;

    void SetUp() override
    {
        zrktest::PluginFixture::SetUp();
        manager->setRootWindow(ceguiSystem->getRootWindow());
        event = add(90);
        event->onFill = [this](gui::ParamList& list) {
            list.clear();
            list.push_back(&question);
        };
    }
    void TearDown() override
    {
        // The box's windows go before the CEGUI system.
        manager->getGuideView()->showStep(0);
        ceguiSystem.reset();
        zrktest::PluginFixture::TearDown();
    }
    void document(const std::string& text)
    {
        Json::Value v;
        zrktest::parseJson(text, v);
        question.value = v;
    }
    CEGUI::Window* box()
    {
        CEGUI::Window* root = ceguiSystem->getRootWindow();
        CEGUI::Window* b = root->getChildRecursive("QuestionBox");
        return b && b->isEffectiveVisible() ? b : nullptr;
    }
    void click(const char* name)
    {
        CEGUI::Window* button = box()->getChildRecursive(name);
        ASSERT_NE(button, nullptr) << name;
        CEGUI::WindowEventArgs args(button);
        button->fireEvent(CEGUI::PushButton::EventClicked, args, CEGUI::PushButton::EventNamespace);
    }
};

const char kDocument[] = R"({"questions": [
  {"step": 5, "text": "Which keys walk?", "answers": ["W and S", "J and K"], "right": 0},
  {"step": 6, "text": "Nobody knows", "answers": ["a"], "right": 3},
  {"step": 7, "text": "[b]markup", "answers": ["[colour='FFFF0000']red"], "right": 0}]})";

} // namespace

TEST_F(QuestionBoxTest, TheRightAnswerTellsTheGameAndAWrongOneKeepsTheBoxOpen)
{
    document(kDocument);
    manager->getGuideView()->showStep(5);
    ASSERT_NE(box(), nullptr);
    EXPECT_EQ(std::string(box()->getChildRecursive("Question")->getText().c_str()), "Which keys walk?");
    click("Answer1");
    ASSERT_NE(box(), nullptr);
    EXPECT_EQ(std::string(box()->getChildRecursive("Verdict")->getText().c_str()), "Not quite. Try again.");
    EXPECT_EQ(tally.callbacks, 0);
    click("Answer0");
    EXPECT_EQ(tally.callbacks, 1);
    EXPECT_EQ(box(), nullptr);

    // The next step has no sound question: nothing opens.
    manager->getGuideView()->showStep(6);
    EXPECT_EQ(box(), nullptr);
    // Text from the document is shown as written.
    manager->getGuideView()->showStep(7);
    ASSERT_NE(box(), nullptr);
    EXPECT_EQ(std::string(box()->getChildRecursive("Question")->getText().c_str()), "\\[b]markup");
    // Leaving the step closes the box unanswered.
    manager->getGuideView()->showStep(0);
    EXPECT_EQ(box(), nullptr);
    EXPECT_EQ(tally.callbacks, 1);
}

TEST_F(QuestionBoxTest, NoDocumentOrNoQuestionsOpenNothing)
{
    for (const char* text : {"null", "[1,2]", R"({"questions": 5})", R"({"questions": [{"step": "5"}]})"}) {
        document(text);
        manager->getGuideView()->showStep(5);
        EXPECT_EQ(box(), nullptr) << text;
    }
    EXPECT_EQ(tally.callbacks, 0);
}
