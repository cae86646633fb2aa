#include "events/ExChangeSlotEvent.h"

#include <CEGUI/Window.h>
#include <boost/any.hpp>
#include <boost/bind/bind.hpp>
#include <core/DialogBoxResult.h>
#include <core/Frame.h>
#include <data/ZRKUserRequest.h>
#include <gui/BagCell.h>

#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

using namespace boost::placeholders;

namespace {

// Only wearing binds an item: a move from the bag proper onto a worn slot (1-12) asks first;
// the weapon and props bags never bind.
const int kFirstBagSlot = 61;
const int kLastBindingSlot = 12;

/// The cell record behind a node's window; null for anything else.
const gui::BagCell* cellOf(const gui::ParamNode& node)
{
    CEGUI::Window* const* window = boost::any_cast<CEGUI::Window*>(&node.value);
    if (!window || !*window)
        return nullptr;
    return static_cast<const gui::BagCell*>((*window)->getUserData());
}

} // namespace

ExChangeSlotEvent::ExChangeSlotEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

ExChangeSlotEvent::~ExChangeSlotEvent() = default;

gui::ParamList* ExChangeSlotEvent::fillParams()
{
    clearParams();
    addNode(mLastSrc.name, mLastSrc.value, mLastSrc.size, mLastSrc.type);
    addNode(mLastDst.name, mLastDst.value, mLastDst.size, mLastDst.type);
    addBool("isChange", mIsChange);
    return paramList();
}

void ExChangeSlotEvent::callback(gui::ParamHandle params)
{
    bool batch = false;
    if (!readOptional("batch", params, batch))
        return;
    const gui::ParamNode* src = findParam("src", params);
    const gui::ParamNode* dst = findParam("dst", params);
    if (batch) {
        batchCallback(src, dst);
        return;
    }
    if (!src || !dst)
        return;
    const gui::BagCell* from = cellOf(*src);
    const gui::BagCell* to = cellOf(*dst);
    if (!from || !to) {
        writeLog(kLogTrace, channel().c_str(), "src or dst is no bag cell: nothing moved");
        return;
    }
    mLastSrc = *src;
    mLastDst = *dst;
    core::XmlConfigHelper request;
    request.setIntVal("slot_from", from->slot);
    request.setIntVal("slot_to", to->slot);
    if (!mBatch.empty()) {
        std::string text;
        for (const auto& move : mBatch)
            text += (text.empty() ? "" : ",") + std::to_string(move.first) + "," + std::to_string(move.second);
        request.setStringVal("slot_batch", text);
        mBatch.clear();
    }
    if (from->slot >= kFirstBagSlot && to->slot <= kLastBindingSlot && from->bind == 0) {
        core::Frame* frame = GameServices::frame();
        if (!frame) {
            writeLog(kLogTrace, channel().c_str(), "no frame to ask whether to bind the item: nothing moved");
            return;
        }
        mBoxConnection = frame->messageBox2(
            "warning/title", "msg/yibangding2",
            mRequests.guard(boost::bind(&ExChangeSlotEvent::onConfirm, this, _1, request)), core::Frame::kQuestionBox);
        return;
    }
    send(request);
}

void ExChangeSlotEvent::batchCallback(const gui::ParamNode* src, const gui::ParamNode* dst)
{
    const int* from = src ? boost::any_cast<int>(&src->value) : nullptr;
    const int* to = dst ? boost::any_cast<int>(&dst->value) : nullptr;
    if (from && to) {
        mBatch.emplace_back(*from, *to);
        return;
    }
    if (src && dst)
        writeLog(kLogTrace, channel().c_str(), "a batch move without slot numbers: the batch is dropped");
    mBatch.clear();
}

void ExChangeSlotEvent::onConfirm(core::DialogBoxResult& result, const core::XmlConfigHelper& params)
{
    if (result.button == 0) {
        send(params);
        return;
    }
    raiseEvent(gui::EventId::PackageLoading); // the bag as it was
}

void ExChangeSlotEvent::send(const core::XmlConfigHelper& params)
{
    mRequests.track(ZRKUserRequest::changeSlot(params, mRequests.guard([this](bool error, const std::string& text) {
        handleChangeSlot(error, text); // through the virtual slot
    })));
}

void ExChangeSlotEvent::handleChangeSlot(bool error, const std::string& text)
{
    // A success whose new bag cannot be read is no change the screen can show.
    const ZRKInventory* inventory = ZRKUserRequest::getInventory();
    const bool readable = inventory && inventory->isReadable();
    if (error)
        writeLog(kLogTrace, "ExChangeSlotEvent::handleChangeSlot", text);
    else if (!readable)
        writeLog(kLogTrace, "ExChangeSlotEvent::handleChangeSlot", "the answer holds no bag");
    mIsChange = !error && readable;
    raiseEvent(gui::EventId::PackageLoading);
}

} // namespace zrk
} // namespace kavri3D
