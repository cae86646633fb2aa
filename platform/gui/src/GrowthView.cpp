#include "GrowthView.h"

#include <CEGUI/CEGUI.h>

#include "CallCounter.h"
#include <text/CeguiText.h>
#include "GuiLog.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
const char kNoticeName[] = "GrowthNotice";
} // namespace

GrowthView::GrowthView(CallCounter& calls, ParentSource parent) : mCalls(calls), mParent(std::move(parent)) {}

GrowthView::~GrowthView() = default; // the notice goes with its parent window

void GrowthView::showGrowth(int value, bool level)
{
    mCalls.add(level ? "showGrowth.level" : "showGrowth.rank");
    mText = (level ? "Level " : "Rank ") + std::to_string(value) + "!";
    guiLog(Severity::Trace, "growth: ", mText);
    CEGUI::Window* parent = mParent && CEGUI::System::getSingletonPtr() ? mParent() : nullptr;
    if (!parent)
        return;
    try {
        CEGUI::Window* notice = parent->isChild(kNoticeName) ? parent->getChild(kNoticeName) : nullptr;
        if (!notice) {
            notice = CEGUI::WindowManager::getSingleton().createWindow("TaharezLook/StaticText", kNoticeName);
            notice->setArea(CEGUI::URect(CEGUI::UDim(0.35f, 0), CEGUI::UDim(0.02f, 0), CEGUI::UDim(0.65f, 0),
                                         CEGUI::UDim(0.08f, 0)));
            notice->setProperty("HorzFormatting", "HorzCentred");
            parent->addChild(notice);
        }
        notice->setText(outsideText(mText));
        notice->setVisible(true);
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "growth notice not shown: ", e.what());
    }
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
