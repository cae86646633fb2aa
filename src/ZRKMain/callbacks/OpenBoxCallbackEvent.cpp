#include "callbacks/OpenBoxCallbackEvent.h"

#include <boost/any.hpp>
#include <boost/bind/bind.hpp>
#include <core/DialogBoxResult.h>
#include <core/Frame.h>
#include <data/ZRKRoomRequest.h>
#include <gui/IBattlePanel.h>
#include <gui/IGuiManager.h>
#include <lan/ZRKLan.h>
#include <utility>
#include <vector>

#include "rooms/BoxSnapShotScene.h"
#include "rooms/SnapShotEx.h"
#include "rooms/SnapShotManager.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

using namespace boost::placeholders;

namespace {
/// The offer behind the "box" node: the GUI's record by pointer; null when missing or null.
const gui::IOpenBoxData::BoxData* boxOf(const gui::ParamNode* node)
{
    if (!node)
        return nullptr;
    if (auto* p = boost::any_cast<gui::IOpenBoxData::BoxData*>(&node->value))
        return *p;
    if (auto* p = boost::any_cast<const gui::IOpenBoxData::BoxData*>(&node->value))
        return *p;
    return nullptr;
}
} // namespace

OpenBoxCallbackEvent::OpenBoxCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

OpenBoxCallbackEvent::~OpenBoxCallbackEvent() = default;

void OpenBoxCallbackEvent::callback(gui::ParamHandle params)
{
    if (!readParam("flag", params, mChoice.flag) || !readParam("index", params, mChoice.index))
        return;
    const gui::IOpenBoxData::BoxData* box = boxOf(findParam("box", params));
    if (!box) {
        animate(mChoice.flag);
        return;
    }
    mChoice.boxId = box->b_id;
    mChoice.pve = false;
    if (!readOptional("pve", params, mChoice.pve))
        return;
    if (mOpening) {
        // One box at a time: the player hears his first choice is still being opened.
        if (gui::IBoxPanel* view = viewOf(mChoice.pve))
            view->onBoxBusy();
        return;
    }
    if (box->b_buy_type <= 0) {
        if (!mChoice.pve) {
            ZRKRoomState* room = getZRKRoomState();
            boost::shared_ptr<ZRKPlayerState> self = room ? room->getSelfState() : boost::shared_ptr<ZRKPlayerState>();
            if (!self) {
                log(kLogTrace, "no battle of the player: the free box is not his");
                raiseEvent(gui::EventId::BoxesSpent);
                return;
            }
            const core::XmlConfigHelper& battle = self->getBattleState();
            const int flags = battle.getIntVal("flags", 0);
            const bool won = (flags & 0x1) != 0;
            if ((won && mChoice.index > 3) || (!won && mChoice.index < 4)) {
                raiseEvent(gui::EventId::BoxOutOfReach);
                return;
            }
            if (battle.getIntVal("boxCount", 0) < 1 || (flags & 0x8) != 0) {
                raiseEvent(gui::EventId::BoxesSpent);
                return;
            }
        }
        openBox(mChoice);
        return;
    }
    static const char* const kPriceTexts[] = {"msg/prizeBox_open_zaobi", "msg/prizeBox_open_dianjuan",
                                              "msg/prizeBox_open_guabi"};
    const std::string text = box->b_buy_type <= 3 ? formatMsg(ZRKLan::getMsg(kPriceTexts[box->b_buy_type - 1]),
                                                              {std::to_string(box->b_price)})
                                                  : std::string();
    core::Frame* frame = GameServices::frame();
    if (!frame) {
        log(kLogTrace, "no frame to ask the price: the box stays shut");
        return;
    }
    mBoxConnection = frame->messageBox2(
        "warning/title", text, mRequests.guard(boost::bind(&OpenBoxCallbackEvent::onConfirm, this, _1, mChoice)),
        core::Frame::kQuestionBox);
    // The price is asked on the box screen: the question goes when the screen does.
    mRequests.killTimer(mScreenWatch);
    const bool pve = mChoice.pve;
    mScreenWatch = mRequests.setTimeout(
        0, [this, pve] { watchScreen(pve); }, true);
}

void OpenBoxCallbackEvent::watchScreen(bool pve)
{
    if (!mBoxConnection.connected()) {
        mRequests.killTimer(mScreenWatch); // answered, or another box took its place
        return;
    }
    gui::IBoxPanel* view = viewOf(pve);
    if (view && view->isShown())
        return;
    mRequests.killTimer(mScreenWatch);
    log(kLogTrace, "the box screen closed: its price question goes with it");
    if (core::Frame* frame = GameServices::frame())
        frame->cancelMessageBox();
}

void OpenBoxCallbackEvent::onConfirm(core::DialogBoxResult& result, const Choice& choice)
{
    mRequests.killTimer(mScreenWatch);
    if (result.button == 0)
        openBox(choice);
}

gui::IBoxPanel* OpenBoxCallbackEvent::viewOf(bool pve)
{
    gui::IGuiManager* gui = GameServices::guiManager();
    return gui ? static_cast<gui::IBoxPanel*>(pve ? gui->getPveBoxOpenView() : gui->getBoxOpenView()) : nullptr;
}

void OpenBoxCallbackEvent::openBox(const Choice& choice)
{
    if (mOpening) {
        // A price answered while another box is being opened: it waits its turn.
        if (gui::IBoxPanel* view = viewOf(choice.pve))
            view->onBoxBusy();
        return;
    }
    const std::vector<std::pair<std::string, std::string>> pairs = {{"idx", std::to_string(choice.index)},
                                                                    {"id", std::to_string(choice.boxId)}};
    mOpening = true;
    mRequests.track(ZRKRoomRequest::openBox(pairs, mRequests.guard([this, choice](bool error, const std::string& text) {
        onOpened(error, text, choice);
    })));
}

void OpenBoxCallbackEvent::onOpened(bool error, const std::string& text, const Choice& choice)
{
    mOpening = false;
    gui::IBoxPanel* view = viewOf(choice.pve);
    if (error) {
        // The box stays shut: the player reads why (the server's words), and the screen lets him
        // choose again.
        log(kLogTrace, "box " + std::to_string(choice.index) + " not opened: " + text);
        if (core::Frame* frame = GameServices::frame())
            frame->messageBoxText(ZRKLan::getMsg("warning/title"), text.empty() ? ZRKLan::getMsg("box/refused") : text,
                                  core::Frame::kNoticeBox);
        if (view)
            view->onBoxRefused();
        return;
    }
    if (choice.pve)
        animate(choice.flag);
    if (!view) {
        log(kLogTrace, "no box view to tell: the box opens unseen");
        return;
    }
    view->onBoxOpened();
}

void OpenBoxCallbackEvent::animate(const std::string& flag)
{
    SnapShotManager* snapshots = SnapShotManager::getSingletonPtr();
    core::SnapShotEx* snapshot = snapshots ? snapshots->find(flag) : nullptr;
    if (auto* box = snapshot ? dynamic_cast<BoxSnapShotScene*>(snapshot->getScene()) : nullptr)
        box->playAnimation();
}

} // namespace zrk
} // namespace kavri3D
