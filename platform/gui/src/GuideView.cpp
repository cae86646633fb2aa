#include "GuideView.h"

#include <CEGUI/CEGUI.h>
#include <cmath>
#include <gui/CeguiText.h>
#include <gui/IGuideContent.h>

#include "GuiLog.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
const char kBoxName[] = "TutorialGuide";
const float kShakeSeconds = 0.5f;
} // namespace

GuideView::GuideView(ParentSource parent, ContentSource content) : mParent(std::move(parent)), mContent(std::move(content)) {}

GuideView::~GuideView()
{
    if (mKeyConnection.isValid())
        mKeyConnection->disconnect();
    destroyBox();
}

CEGUI::Window* GuideView::box(bool make)
{
    CEGUI::Window* parent = mParent && CEGUI::System::getSingletonPtr() ? mParent() : nullptr;
    if (!parent)
        return nullptr;
    if (parent->isChild(kBoxName))
        return parent->getChild(kBoxName);
    if (!make)
        return nullptr;
    CEGUI::Window* w = CEGUI::WindowManager::getSingleton().createWindow("TaharezLook/StaticText", kBoxName);
    w->setArea(CEGUI::URect(CEGUI::UDim(0.2f, 0), CEGUI::UDim(0.1f, 0), CEGUI::UDim(0.8f, 0), CEGUI::UDim(0.24f, 0)));
    w->setProperty("HorzFormatting", "WordWrapLeftAligned");
    w->setProperty("VertFormatting", "TopAligned");
    w->setMousePassThroughEnabled(true); // clicks go on to the window below
    w->setAlwaysOnTop(true);
    parent->addChild(w);
    return w;
}

void GuideView::destroyBox()
{
    try {
        if (CEGUI::Window* w = box(false))
            CEGUI::WindowManager::getSingleton().destroyWindow(w);
    } catch (const std::exception& e) {
        guiLog(3, "guide box not destroyed: ", e.what());
    }
}

void GuideView::showStep(int step)
{
    mStep = step > 0 ? step : 0;
    mHint.clear();
    mHintLeft = 0.0f;
    if (mStepListener)
        mStepListener(mStep);
    if (mStep == 0) {
        // Its pictures go with it: the "guide" set may be dropped right after.
        mText.clear();
        destroyBox();
        return;
    }
    boost::shared_ptr<IGuideContent> content = mContent ? mContent() : boost::shared_ptr<IGuideContent>();
    mText = content ? content->getString("step", mStep) : std::string();
    try {
        if (CEGUI::Window* w = box(true)) {
            w->setText(outsideText(mText));
            w->setVisible(true);
        }
    } catch (const std::exception& e) {
        guiLog(3, "guide step not shown: ", e.what());
    }
}

void GuideView::setKeyHandler(const KeyHandler& handler)
{
    mKeyHandler = handler;
    if (mKeyConnection.isValid())
        mKeyConnection->disconnect();
    CEGUI::Window* parent = mParent && CEGUI::System::getSingletonPtr() ? mParent() : nullptr;
    if (parent)
        mKeyConnection = parent->subscribeEvent(CEGUI::Window::EventKeyDown, [this](const CEGUI::EventArgs& args) {
            return keyDown(static_cast<const CEGUI::KeyEventArgs&>(args));
        });
}

void GuideView::releaseKeyHandler()
{
    mKeyHandler = KeyHandler();
    if (mKeyConnection.isValid())
        mKeyConnection->disconnect();
}

bool GuideView::keyDown(const CEGUI::KeyEventArgs& args)
{
    if (!mKeyHandler)
        return false;
    try {
        return mKeyHandler(args);
    } catch (const std::exception& e) {
        guiLog(3, "guide key handler failed: ", e.what());
        return false;
    }
}

void GuideView::showHint(const std::string& kind, int id)
{
    boost::shared_ptr<IGuideContent> content = mContent ? mContent() : boost::shared_ptr<IGuideContent>();
    mHint = content ? content->getString(kind, id) : std::string();
    mHintLeft = mHint.empty() ? 0.0f : kHintSeconds;
    try {
        if (CEGUI::Window* w = mStep > 0 ? box(true) : nullptr)
            w->setText(outsideText(mHint.empty() ? mText : mText + "\n" + mHint));
    } catch (const std::exception& e) {
        guiLog(3, "guide hint not shown: ", e.what());
    }
}

void GuideView::nudge()
{
    ++mNudges;
    mShakeLeft = kShakeSeconds;
}

void GuideView::update(float dt)
{
    if (!std::isfinite(dt) || dt <= 0.0f)
        return;
    CEGUI::Window* w = box(false);
    if (mHintLeft > 0.0f) {
        mHintLeft -= dt;
        if (mHintLeft <= 0.0f) {
            mHint.clear();
            if (w)
                w->setText(outsideText(mText));
        }
    }
    if (mShakeLeft > 0.0f) {
        mShakeLeft = std::max(0.0f, mShakeLeft - dt);
        // A short sideways shake, back in place when it ends.
        const float offset = mShakeLeft > 0.0f ? 0.01f * std::sin(mShakeLeft * 60.0f) : 0.0f;
        if (w)
            w->setXPosition(CEGUI::UDim(0.2f + offset, 0));
    }
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
