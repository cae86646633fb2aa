#include "GuideView.h"

#include <CEGUI/CEGUI.h>
#include <cmath>
#include <core/GuiManager.h>
#include <text/CeguiText.h>
#include <gui/IGuideContent.h>

#include "GuiLog.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
const float kShakeSeconds = 0.5f;
const char kSet[] = "guide";
/// The parts of the box and the picture each wears (none for the text).
struct Part {
    const char* name;
    const char* type;
    const char* image;
    CEGUI::URect area;
};
const Part kParts[] = {
    {"frame", "TaharezLook/StaticImage", "frame", {{0, 0}, {0, 0}, {1, 0}, {1, 0}}},
    {"trainer", "TaharezLook/StaticImage", "trainer", {{0, 8}, {0.5f, -32}, {0, 72}, {0.5f, 32}}},
    {"text", "TaharezLook/StaticText", nullptr, {{0, 84}, {0, 10}, {1, -14}, {1, -10}}},
};

bool pictureDefined(const char* image)
{
    CEGUI::ImageManager* images = CEGUI::ImageManager::getSingletonPtr();
    return images && images->isDefined(CEGUI::String(kSet) + "/" + image);
}
} // namespace

const char GuideView::kBoxName[] = "TutorialGuide";

GuideView::GuideView(ParentSource parent, ContentSource content)
    : mParent(std::move(parent)), mContent(std::move(content))
{
}

GuideView::~GuideView() { destroyBox(); }

CEGUI::Window* GuideView::box(bool make)
{
    CEGUI::Window* parent = mParent && CEGUI::System::getSingletonPtr() ? mParent() : nullptr;
    if (!parent)
        return nullptr;
    if (parent->isChild(kBoxName))
        return parent->getChild(kBoxName);
    if (!make)
        return nullptr;
    CEGUI::WindowManager& wm = CEGUI::WindowManager::getSingleton();
    CEGUI::Window* w = wm.createWindow("DefaultWindow", kBoxName);
    w->setArea(
        CEGUI::URect(CEGUI::UDim(0.2f, 0), CEGUI::UDim(0.04f, 0), CEGUI::UDim(0.8f, 0), CEGUI::UDim(0.04f, 110)));
    w->setMousePassThroughEnabled(true); // clicks go on to the windows below
    w->setAlwaysOnTop(true);
    for (const Part& part : kParts) {
        CEGUI::Window* child = wm.createWindow(part.type, part.name);
        child->setArea(part.area);
        child->setMousePassThroughEnabled(true);
        child->setProperty("FrameEnabled", "false");
        child->setProperty("BackgroundEnabled", "false");
        if (!part.image) {
            child->setProperty("HorzFormatting", "WordWrapLeftAligned");
            child->setProperty("VertFormatting", "CentreAligned");
            child->setProperty("TextColours", "FFFFF4D8");
        }
        w->addChild(child);
    }
    parent->addChild(w);
    return w;
}

CEGUI::Window* GuideView::textWindow()
{
    CEGUI::Window* w = box(false);
    return w && w->isChild("text") ? w->getChild("text") : nullptr;
}

void GuideView::setText(const std::string& text)
{
    try {
        if (CEGUI::Window* t = textWindow())
            t->setText(outsideText(text));
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "guide text not shown: ", e.what());
    }
}

void GuideView::setPictures(CEGUI::Window* w, bool on)
{
    for (const Part& part : kParts) {
        if (!part.image || !w->isChild(part.name))
            continue;
        // A picture the set lacks (it was not loaded) leaves the part bare.
        const bool show = on && pictureDefined(part.image);
        w->getChild(part.name)->setProperty("Image", show ? imageProperty(kSet, part.image) : CEGUI::String());
    }
}

void GuideView::destroyBox()
{
    try {
        if (CEGUI::Window* w = box(false)) {
            // The window lingers in CEGUI's dead pool after this; the set may go sooner.
            setPictures(w, false);
            CEGUI::WindowManager::getSingleton().destroyWindow(w);
        }
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "guide box not destroyed: ", e.what());
    }
}

std::string GuideView::askingText(const std::string& text)
{
    static const std::string kClick = "Click to go on.";
    std::string out = text;
    const std::size_t at = out.rfind(kClick);
    if (at != std::string::npos)
        out.erase(at, kClick.size());
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out + (out.empty() ? "" : " ") + "Answer the question below to go on.";
}

void GuideView::showComposed()
{
    std::string shown = mText;
    for (const std::string* extra : {&mLine, &mHint})
        if (!extra->empty())
            shown += (shown.empty() ? "" : "\n") + *extra;
    setText(shown);
}

void GuideView::setLine(const std::string& line)
{
    if (line == mLine)
        return;
    mLine = line;
    if (mStep > 0)
        showComposed();
}

void GuideView::showStep(int step)
{
    mStep = step > 0 ? step : 0;
    mHint.clear();
    mLine.clear();
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
    // A step that asks a question goes on by its answer, not by a click.
    if (isAsking() && !mText.empty())
        mText = askingText(mText);
    try {
        if (CEGUI::Window* w = box(true)) {
            setPictures(w, true);
            w->setVisible(true);
        }
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "guide step not shown: ", e.what());
    }
    setText(mText);
}

void GuideView::setKeyHandler(const KeyHandler& handler)
{
    mKeyHandler = handler;
    mKeyConnection = boost::signals2::connection();
    if (core::GuiManager* keys = core::GuiManager::getSingletonPtr())
        mKeyConnection = keys->subscribeToKeyDown([this](int scan) { return keyDown(scan); });
    else
        guiLog(Severity::Error, "guide key handler: no window offers keys");
}

void GuideView::releaseKeyHandler()
{
    mKeyHandler = KeyHandler();
    mKeyConnection = boost::signals2::connection();
}

bool GuideView::keyDown(int scan)
{
    if (!mKeyHandler)
        return false;
    try {
        CEGUI::Window* parent = mParent && CEGUI::System::getSingletonPtr() ? mParent() : nullptr;
        CEGUI::KeyEventArgs args(parent);
        args.scancode = static_cast<CEGUI::Key::Scan>(scan);
        const KeyHandler handler = mKeyHandler; // the handler may release itself
        return handler(args);
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "guide key handler failed: ", e.what());
        return false;
    }
}

void GuideView::showHint(const std::string& kind, int id)
{
    boost::shared_ptr<IGuideContent> content = mContent ? mContent() : boost::shared_ptr<IGuideContent>();
    mHint = content ? content->getString(kind, id) : std::string();
    mHintLeft = mHint.empty() ? 0.0f : kHintSeconds;
    if (mStep > 0)
        showComposed();
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
            showComposed();
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
