#include "DollView.h"

#include <CEGUI/CEGUI.h>
#include <cmath>

#include <text/CeguiText.h>
#include "GuiLog.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
const char* const kTipWindow = "GrowthTip";
}

DollView::~DollView() { destroyWindow(); }

CEGUI::Window* DollView::tipWindow() const
{
    CEGUI::WindowManager* windows = CEGUI::WindowManager::getSingletonPtr();
    return mWindow && windows && windows->isAlive(mWindow) ? mWindow : nullptr;
}

void DollView::destroyWindow()
{
    if (CEGUI::Window* w = tipWindow())
        CEGUI::WindowManager::getSingleton().destroyWindow(w);
    mWindow = nullptr;
}

void DollView::hide()
{
    mTipShown = false;
    mTip.clear();
    if (CEGUI::Window* w = tipWindow())
        w->hide();
}

void DollView::show(const std::string& title, const std::string& text, int milliseconds, int)
{
    mTipShown = true;
    mTip = title.empty() ? text : title + ": " + text;
    mShownAt = -1.0;
    mSeconds = milliseconds > 0 ? milliseconds / 1000.0 : 0.0;
    if (!CEGUI::System::getSingletonPtr())
        return;
    try {
        CEGUI::Window* w = tipWindow();
        CEGUI::Window* parent = mParent ? mParent() : nullptr;
        if (!w && parent) {
            // A line over the middle of the battle bar, above the fight's own windows.
            w = CEGUI::WindowManager::getSingleton().createWindow("TaharezLook/StaticText", kTipWindow);
            w->setArea(CEGUI::URect(CEGUI::UDim(0.25f, 0), CEGUI::UDim(0.665f, 0), CEGUI::UDim(0.75f, 0),
                                    CEGUI::UDim(0.725f, 0)));
            w->setProperty("HorzFormatting", "CentreAligned");
            w->setProperty("TextColours", "tl:FFFFE080 tr:FFFFE080 bl:FFFFE080 br:FFFFE080");
            w->setMousePassThroughEnabled(true);
            w->setAlwaysOnTop(true);
            parent->addChild(w);
            mWindow = w;
        }
        if (w) {
            w->setText(outsideText(mTip));
            w->show();
        }
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "the growth road's tip is not shown: ", e.what());
    }
}

void DollView::update(double now)
{
    if (!mTipShown || mSeconds <= 0.0 || !std::isfinite(now))
        return;
    if (mShownAt < 0.0)
        mShownAt = now; // its time runs from the first frame that shows it
    else if (now - mShownAt >= mSeconds)
        hide();
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
