#include "PlayerPage.h"

#include <CEGUI/CEGUI.h>
#include <boost/any.hpp>
#include <gui/ParamNode.h>
#include <gui/RoleAttr.h>

#include <gui/CeguiText.h>
#include "EventDispatcher.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
const char kAttributes[] = "Attributes";
const float kPicturesTop = 0.15f;
} // namespace

PlayerPage::PlayerPage(const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent,
                       std::vector<std::string> images, int columns, EventDispatcher& dispatcher)
    : PortraitPage(kKind, windowName, title, params, std::move(parent), std::move(images), columns), mDispatcher(dispatcher)
{
}

void PlayerPage::buildContent(CEGUI::Window& frame)
{
    CEGUI::WindowManager& wm = CEGUI::WindowManager::getSingleton();
    CEGUI::Window* line = wm.createWindow("TaharezLook/StaticText", kAttributes);
    line->setArea(CEGUI::URect(CEGUI::UDim(0.02f, 0), CEGUI::UDim(0.01f, 0), CEGUI::UDim(0.98f, 0),
                               CEGUI::UDim(kPicturesTop - 0.01f, 0)));
    line->setText(outsideText(mText));
    frame.addChild(line);
    CEGUI::Window* pictures = wm.createWindow("DefaultWindow", "Pictures");
    pictures->setArea(CEGUI::URect(CEGUI::UDim(0, 0), CEGUI::UDim(kPicturesTop, 0), CEGUI::UDim(1, 0), CEGUI::UDim(1, 0)));
    frame.addChild(pictures);
    PortraitPage::buildContent(*pictures);
}

void PlayerPage::onFilled(int eventId, ParamList& list)
{
    if (eventId == kRefreshEventId) {
        // The refresh id hands out nothing: the attributes are read afresh.
        if (ParamList* attributes = mDispatcher.fillParams(kAttrEventId))
            onFilled(kAttrEventId, *attributes);
        return;
    }
    if (eventId != kAttrEventId)
        return;
    for (const ParamNode* node : list) {
        const auto* role = node && node->name == "currentRole" ? boost::any_cast<RoleAttr>(&node->value) : nullptr;
        if (!role)
            continue;
        mText = role->pc_nickname + "  Lv " + std::to_string(role->pc_lv) + "  Rank " + std::to_string(role->pc_rank) +
                "  Coins " + std::to_string(role->pc_money1);
        CEGUI::Window* frame = window();
        if (frame && frame->isChild(kAttributes))
            frame->getChild(kAttributes)->setText(outsideText(mText));
    }
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
