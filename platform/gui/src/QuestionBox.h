#pragma once
#include <core/ScopedEventConnection.h>
#include <CEGUI/Event.h>
#include <vector>
#include <gui/EventId.h>
#include <string>
#include "GuiPage.h"

namespace kavri3D {
namespace zrk {
namespace gui {

class EventDispatcher;

/// The tutorial's question box. The game hands over the question document with event 90
/// ("question": {"questions": [{"step", "text", "answers": [...], "right"}]}); the box asks the
/// question of the guide step shown, one button an answer. The right answer tells the game
/// (90's callback) and closes the box; a wrong one says so and leaves it open.
class QuestionBox : public GuiPage {
public:
    static constexpr int kKind = 90; // a box of its own, no panel's
    static constexpr int kEventId = EventId::QuestionLoaded;

    QuestionBox(ParamStore& params, ParentSource parent, EventDispatcher& dispatcher);
    ~QuestionBox() override;

    /// Opens the question of that guide step when the document has one; false else (the box
    /// then stays closed).
    bool ask(int step);
    /// The player picks answer `index`; true when it was the right one.
    bool answer(int index);
    void close();
    bool isOpen() const { return mOpen; }

    const std::string& questionText() const { return mText; }
    const std::vector<std::string>& answers() const { return mAnswers; }
    /// What the box says of the last answer ("" before one).
    const std::string& verdict() const { return mVerdict; }

protected:
    void buildContent(CEGUI::Window& frame) override;

private:
    bool onAnswerClicked(const CEGUI::EventArgs& args);

    EventDispatcher& mDispatcher;
    bool mOpen = false;
    std::string mText;
    std::vector<std::string> mAnswers;
    int mRight = -1;
    std::string mVerdict;
    std::vector<core::ScopedEventConnection> mConnections;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
