#include "callbacks/EvtBagOpenBoxCallback.h"

#include <core/Frame.h>
#include <data/ZRKRequestBroker.h>
#include <data/ZRKServerRequest.h>
#include <data/ZRKUserRequest.h>
#include <lan/ZRKLan.h>
#include <tinyxml.h>
#include <yake/StringUtil.h>

#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

namespace {

// Rows read past this many are a reply no box gives.
const int kMaxRows = 256;

/// A child element's text as a whole number; 0 when missing or not decimal.
int childNumber(const TiXmlElement& row, const char* name)
{
    const TiXmlElement* e = row.FirstChildElement(name);
    const char* text = e ? e->GetText() : nullptr;
    if (!text)
        return 0;
    const std::string s(text);
    const std::size_t digits = s.find_first_not_of("0123456789", s[0] == '-' ? 1 : 0);
    if (s.empty() || s.size() > 10 || digits != std::string::npos || s == "-")
        return 0;
    const long long v = std::stoll(s);
    return v > 2147483647LL || v < -2147483647LL ? 0 : static_cast<int>(v);
}

std::string label(int type, int id)
{
    static const char* const kLabels[] = {"msg/award_zaobi", "msg/award_dianjuan", "msg/award_guabi", "msg/award_jifen",
                                          "msg/award_jingyan"};
    if (type >= 1 && type <= 5)
        return ZRKLan::getMsg(kLabels[type - 1]);
    ZRKServer* server = ZRKServerRequest::getServer();
    const std::string name = server ? server->getItemLib()->findItem(id).getStringVal("i_name", "") : std::string();
    // An item the client does not know still says what it is.
    return name.empty() ? ZRKLan::getMsg("msg/award_unknown_item") + std::to_string(id) : name;
}

} // namespace

EvtBagOpenBoxCallback::EvtBagOpenBoxCallback(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BagActionEvent(page, dispatcher)
{
}

EvtBagOpenBoxCallback::~EvtBagOpenBoxCallback() = default;

gui::ParamList* EvtBagOpenBoxCallback::fillParams() { return fillOutcome(ZRKUserRequest::getBagOpenBoxInfo()); }

void EvtBagOpenBoxCallback::callback(gui::ParamHandle params)
{
    int slot = 0;
    if (mBusy || !readInt("slot", params, slot))
        return;
    mRequestText = slotText(slot);
    mBusy = mRequests.track(
                ZRKUserRequest::queryBagOpenBox(mRequestText, replyTo(this, &EvtBagOpenBoxCallback::onReply))) != 0;
}

void EvtBagOpenBoxCallback::onReply(bool error, const std::string&)
{
    mBusy = false;
    raiseEvent(gui::EventId::BagOpenBox);
    raiseEvent(gui::EventId::PackageLoading);
    if (error)
        return; // a refusal's text is the bag page's to show ("error", "msg")
    const std::string text = awardLines(reqCurrentData());
    if (text.empty())
        return;
    if (core::Frame* frame = GameServices::frame())
        frame->messageBoxText(ZRKLan::getMsg("warning/title"), text, core::Frame::kNoticeBox);
}

std::string EvtBagOpenBoxCallback::awardLines(const TiXmlNode* data)
{
    const TiXmlElement* root = data ? data->FirstChildElement() : nullptr;
    const TiXmlElement* box = root ? root->FirstChildElement("open_box") : nullptr;
    std::string text;
    int rows = 0;
    for (const TiXmlElement* row = box ? box->FirstChildElement("Item") : nullptr; row && rows < kMaxRows;
         row = row->NextSiblingElement("Item"), ++rows) {
        const int type = childNumber(*row, "bi_type");
        if (type < 1 || type > 6)
            continue;
        text += label(type, childNumber(*row, "bi_id")) + " +" + std::to_string(childNumber(*row, "bi_num")) + "\n";
    }
    return text;
}

} // namespace zrk
} // namespace kavri3D
