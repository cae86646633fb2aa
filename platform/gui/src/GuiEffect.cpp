#include "GuiEffect.h"

#include <algorithm>
#include <CEGUI/CEGUI.h>
#include <yake/Time.h>

#include "CallCounter.h"
#include "GuiLog.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
const char kHallDropout[] = "halldropout";
const float kLongest = 60.0f; ///< no effect holds the screen longer
} // namespace

GuiEffect::GuiEffect(CallCounter& calls, ParentSource parent) : mCalls(calls), mParent(std::move(parent)) {}

GuiEffect::~GuiEffect()
{
    try {
        stop();
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "effect not ended: ", e.what());
    }
}

CEGUI::Window* GuiEffect::curtain(bool make)
{
    if (!CEGUI::System::getSingletonPtr())
        return nullptr;
    CEGUI::Window* parent = mParent ? mParent() : nullptr;
    if (!parent)
        return nullptr;
    // Looked up by name each time: the GUI may have destroyed it with its parent.
    if (parent->isChild(kCurtainName))
        return parent->getChild(kCurtainName);
    if (!make)
        return nullptr;
    CEGUI::Window* w = CEGUI::WindowManager::getSingleton().createWindow("TaharezLook/StaticText", kCurtainName);
    w->setProperty("FrameEnabled", "False");
    w->setProperty("BackgroundEnabled", "True");
    w->setProperty("BackgroundColours", "tl:FF05070C tr:FF05070C bl:FF101828 br:FF101828");
    w->setMousePassThroughEnabled(true);
    w->setAlwaysOnTop(true);
    parent->addChild(w);
    return w;
}

void GuiEffect::stop()
{
    mCalls.add("effect.stop");
    mStart = -1.0;
    if (CEGUI::Window* w = curtain(false))
        CEGUI::WindowManager::getSingleton().destroyWindow(w);
}

void GuiEffect::load(const std::string& name)
{
    mCalls.add("effect.load " + name.substr(0, 32));
    mName = name;
}

void GuiEffect::rewind()
{
    mCalls.add("effect.rewind");
    if (isPlaying())
        mStart = yake::native::getTime();
}

void GuiEffect::setSeconds(float seconds)
{
    mCalls.add("effect.seconds");
    // NaN and nonsense end at once; no effect keeps the screen for long.
    mSeconds = seconds > 0.0f ? std::min(seconds, kLongest) : 0.0f;
}

void GuiEffect::play()
{
    mCalls.add("effect.play");
    if (mName != kHallDropout) {
        guiLog(Severity::Warning, "no screen effect named \"", mName.substr(0, 32), "\"");
        return;
    }
    if (mSeconds <= 0.0f)
        return;
    mStart = yake::native::getTime();
    if (curtain(true))
        place(0.0);
}

void GuiEffect::place(double elapsed)
{
    CEGUI::Window* w = curtain(false);
    if (!w)
        return;
    // The curtain falls from above the screen, then thins out over the rest of the time.
    const float t = static_cast<float>(elapsed);
    const float fall = std::min(1.0f, t / kFallSeconds);
    const float rest = std::max(mSeconds - kFallSeconds, 0.01f);
    const float alpha = t <= kFallSeconds ? 0.85f : 0.85f * std::max(0.0f, 1.0f - (t - kFallSeconds) / rest);
    w->setArea(CEGUI::URect(CEGUI::UDim(0, 0), CEGUI::UDim(fall - 1.0f, 0), CEGUI::UDim(1, 0), CEGUI::UDim(fall, 0)));
    w->setAlpha(alpha);
    w->setVisible(true);
}

void GuiEffect::update(double now)
{
    if (!isPlaying())
        return;
    const double elapsed = now - mStart;
    if (elapsed < 0.0 || elapsed >= mSeconds) {
        stop();
        return;
    }
    if (!curtain(false) && !curtain(true))
        return;
    place(elapsed);
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
