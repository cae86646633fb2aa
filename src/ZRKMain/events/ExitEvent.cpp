#include "events/ExitEvent.h"

#include <boost/bind/bind.hpp>
#include <core/DialogBoxResult.h>
#include <core/Frame.h>
#include <data/ZRKQuestLib.h>
#include <data/ZRKTaskRequest.h>
#include <data/ZRKUserRequest.h>
#include <lan/ZRKLan.h>
#include <list>
#include <sstream>
#include <win32/Windows.h>

#include "rooms/BasicRoom.h"
#include "services/GameServices.h"

KAVRI_SINGLETON_DEFINE(kavri3D::zrk::ExitEvent);

namespace kavri3D {
namespace zrk {

namespace {

// Quests whose state has one of these bits are in progress.
const int kQuestsInProgress = 48;
// The quit question lists what is still open: a taller box.
const core::Frame::BoxKind kQuitBox = core::Frame::kQuestionBox.sized(core::Frame::kQuestionBox.width, 180);
const int kTemporaryBag = 11;
// The quit message's exit code.
const int kQuitExitCode = 18;

/// The hint for the player's level: the next level that unlocks something.
const char* levelHint(int level)
{
    static const struct {
        int upTo;
        const char* key;
    } kHints[] = {{5, "warning/quit_lv/lv5"},
                  {9, "warning/quit_lv/lv9"},
                  {14, "warning/quit_lv/lv14"},
                  {17, "warning/quit_lv/lv17"}};
    if (level < 1)
        return nullptr;
    for (const auto& hint : kHints)
        if (level <= hint.upTo)
            return hint.key;
    return nullptr;
}

/// The hint for the ranks close to a promotion that matters.
const char* rankHint(int rank)
{
    static const struct {
        int rank;
        const char* key;
    } kHints[] = {{2, "warning/quit_rank/lr2"},
                  {5, "warning/quit_rank/lr5"},
                  {9, "warning/quit_rank/lr9"},
                  {13, "warning/quit_rank/lr13"}};
    for (const auto& hint : kHints)
        if (rank == hint.rank)
            return hint.key;
    return nullptr;
}

void addLine(std::ostringstream& text, const std::string& line)
{
    if (!text.str().empty())
        text << "\r\n";
    text << line;
}

} // namespace

ExitEvent::ExitEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher) {}

ExitEvent::~ExitEvent() = default;

gui::ParamList* ExitEvent::fillParams() { return emptyParams(); }

void ExitEvent::callback(gui::ParamHandle params)
{
    int confirm = 1;
    // A "confirm" of the wrong type asks, as a missing one does: never quit unasked.
    if (!readOptional("confirm", params, confirm))
        confirm = 1;
    confirmQuit(confirm != 0);
}

void ExitEvent::confirmQuit(bool ask)
{
    if (!ask) {
        GameServices::exitGame();
        PostQuitMessage(kQuitExitCode);
        return;
    }
    // No quit box during a battle: the battle rooms refuse it.
    if (auto* room = dynamic_cast<BasicRoom*>(GameServices::currentState()))
        if (!room->queryFlag())
            return;
    openBox("warning/quit", quitText(), kQuitBox);
}

std::string ExitEvent::quitText()
{
    std::ostringstream text;
    ZRKQuestLib* quests = ZRKTaskRequest::getQuestLib();
    const int doing = quests ? quests->getDoingNum(kQuestsInProgress) : 0;
    if (doing > 0)
        text << formatMsg(ZRKLan::getMsg("warning/quit_task"), {std::to_string(doing)});
    else
        text << ZRKLan::getMsg("warning/quit");

    std::list<core::XmlConfigHelper> temporary;
    if (ZRKUserRequest::getBagItems(ZRKUserRequest::getInventory(), temporary, kTemporaryBag, false) > 0)
        addLine(text, ZRKLan::getMsg("warning/temp_bag_quit"));

    // An account without a character yet (the creation screen's) has no level or rank to speak
    // of, whatever its view holds.
    const core::XmlConfigHelper pc = ZRKUserRequest::getPc_id();
    const bool hasCharacter = pc.getIntVal("pc_id", 0) != 0;
    if (const char* key = levelHint(hasCharacter ? pc.getIntVal("pc_lv", 0) : 0))
        addLine(text, ZRKLan::getMsg(key));
    if (const char* key = rankHint(hasCharacter ? pc.getIntVal("pc_rank", 0) : 0))
        addLine(text, ZRKLan::getMsg(key));
    return text.str();
}

void ExitEvent::showQuitBox(const std::string& text) { showBox("warning/title_quit", text); }

void ExitEvent::showBox(const std::string& title, const std::string& text)
{
    openBox(title, text, core::Frame::kNoticeBox);
}

void ExitEvent::openBox(const std::string& title, const std::string& text, const core::Frame::BoxKind& kind)
{
    core::Frame* frame = GameServices::frame();
    if (!frame)
        return;
    using namespace boost::placeholders;
    frame->messageBox2(title, text, mAnswers.guard(boost::bind(&ExitEvent::onQuitBoxResult, this, _1)), kind);
}

void ExitEvent::onQuitBoxResult(core::DialogBoxResult& result)
{
    if (result.button == 0)
        confirmQuit(false);
}

} // namespace zrk
} // namespace kavri3D
