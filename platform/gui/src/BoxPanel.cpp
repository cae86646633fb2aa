#include "BoxPanel.h"

#include <CEGUI/CEGUI.h>
#include <cmath>

#include <boost/any.hpp>
#include <text/CeguiText.h>
#include <gui/ParamNode.h>
#include "CallCounter.h"
#include "EventDispatcher.h"
#include "ParamStore.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
const char kBoxPrefix[] = "Box";
const char kPicture[] = "Picture";

std::string priceText(const IBattleOver::BoxOffer& o)
{
    static const char* const kMoney[] = {"coins", "coupons", "medals"};
    if (o.b_buy_type <= 0)
        return "free";
    return std::to_string(o.b_price) + " " + (o.b_buy_type <= 3 ? kMoney[o.b_buy_type - 1] : "?");
}
} // namespace

BoxPanel::BoxPanel(int kind, const std::string& windowName, const std::string& title, ParamStore& params,
                   ParentSource parent, EventDispatcher& dispatcher, CallCounter& calls, bool pve)
    : GuiPage(kind, windowName, title, params, std::move(parent)), mDispatcher(dispatcher), mCalls(calls), mPve(pve)
{
    setFrameArea(0.1f, 0.1f, 0.9f, 0.8f);
}

BoxPanel::~BoxPanel() = default;

void BoxPanel::onBoxOpened()
{
    ++mOpened;
    mCalls.add(mPve ? "onBoxOpened pve" : "onBoxOpened");
    mNote = "The box is opened.";
    showNote();
}

void BoxPanel::onBoxRefused()
{
    ++mRefused;
    mCalls.add("onBoxRefused");
    mNote.clear();
    showNote();
}

void BoxPanel::onBoxBusy()
{
    mCalls.add("onBoxBusy");
    mNote = "Wait: the box you chose is being opened.";
    showNote();
}

void BoxPanel::onRaised(int eventId)
{
    if (!isShown())
        return;
    if (eventId == EventId::BoxesSpent)
        mNote = "You have no free box left: a priced box asks its price first.";
    else if (eventId == EventId::BoxOutOfReach)
        mNote = "That box is the other side's: your free box is in your own row.";
    else
        return;
    showNote();
}

std::string BoxPanel::noteText() const { return mNote.empty() ? std::string("Choose a box") : mNote; }

void BoxPanel::showNote()
{
    if (CEGUI::Window* w = window())
        if (CEGUI::Window* opening = w->getChildRecursive("Opening"))
            opening->setText(outsideText(noteText()));
}

bool BoxPanel::clickBox(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= mOffers.size())
        return false;
    // An opened box is nobody's to buy: a click on it is answered with what it held.
    const std::string held = heldText(static_cast<std::size_t>(index));
    if (!held.empty()) {
        mNote = held;
        showNote();
        return true;
    }
    mChosen = mOffers[static_cast<std::size_t>(index)];
    params().set(getKind(), ParamNode::text("flag", "box" + std::to_string(index + 1)));
    params().set(getKind(), ParamNode::integer("index", index));
    params().set(getKind(), ParamNode("box", static_cast<IOpenBoxData::BoxData*>(&mChosen), 4, ParamNode::Record));
    params().set(getKind(), ParamNode::boolean("pve", mPve));
    mDispatcher.callback(kOpenBoxEventId, params().handle(getKind()));
    return true;
}

bool BoxPanel::onBoxClicked(const CEGUI::EventArgs& args)
{
    const auto& e = static_cast<const CEGUI::WindowEventArgs&>(args);
    const std::string name = e.window ? fromCeguiString(e.window->getName()) : std::string();
    if (name.compare(0, sizeof(kBoxPrefix) - 1, kBoxPrefix) == 0)
        clickBox(std::atoi(name.c_str() + sizeof(kBoxPrefix) - 1));
    return true;
}

std::string BoxPanel::boxText(std::size_t index) const
{
    for (const IBattleOver::AwardSlot& s : mSlots)
        if (!s.playerId.empty() && s.index == static_cast<int>(index))
            return s.nickname + ": " + s.award.name + " x" + std::to_string(s.award.bi_num);
    const IBattleOver::BoxOffer& o = mOffers[index];
    return o.b_type == 2 ? std::string("opened") : priceText(o);
}

std::string BoxPanel::heldText(std::size_t index) const
{
    const std::string box = "Box " + std::to_string(index + 1);
    for (const IBattleOver::AwardSlot& s : mSlots)
        if (!s.playerId.empty() && s.index == static_cast<int>(index))
            return box + " held " + s.award.name + " x" + std::to_string(s.award.bi_num) + ": " +
                   (s.me ? std::string("you") : s.nickname) + " opened it.";
    if (index < mOffers.size() && mOffers[index].b_type == 2)
        return box + " is opened already.";
    return std::string();
}

void BoxPanel::setOffers(const std::vector<IBattleOver::BoxOffer>& offers)
{
    mOffers = offers;
    redraw();
}

void BoxPanel::setCountDown(float start, float end)
{
    mNote.clear(); // a new box screen
    mStart = start;
    mEnd = end;
    mLeft = std::isfinite(end - start) && end > start ? static_cast<int>(std::ceil(end - start)) : 0;
    redraw();
}

void BoxPanel::setSlots(const std::vector<IBattleOver::AwardSlot>& slots)
{
    mSlots = slots;
    redraw();
}

void BoxPanel::update(float now)
{
    const float left = mEnd - now;
    const int seconds = std::isfinite(left) && left > 0.0f ? static_cast<int>(std::ceil(left)) : 0;
    if (seconds == mLeft)
        return;
    mLeft = seconds;
    if (CEGUI::Window* w = window())
        if (CEGUI::Window* countDown = w->getChildRecursive("CountDown"))
            countDown->setText(outsideText(std::to_string(mLeft) + " s"));
}

bool BoxPanel::isShown() const
{
    const CEGUI::Window* w = window();
    return w && w->isVisible();
}

void BoxPanel::onImage(const std::string& name, bool defined)
{
    CEGUI::Window* w = window();
    if (!w || name.compare(0, 3, "box") != 0)
        return;
    if (defined) {
        if (isShown())
            redraw();
        return;
    }
    for (std::size_t i = 0; i < mOffers.size(); ++i) {
        if (name != "box" + std::to_string(i + 1))
            continue;
        const CEGUI::String box = toCeguiString(kBoxPrefix + std::to_string(i));
        CEGUI::Window* button = w->getChildRecursive(box);
        if (button && button->isChild(kPicture))
            button->getChild(kPicture)->setProperty("Image", CEGUI::String());
    }
}

void BoxPanel::redraw()
{
    destroyWindow();
    setVisible(true);
}

void BoxPanel::buildContent(CEGUI::Window& frame)
{
    addWidget(frame, "TaharezLook/StaticText", "CountDown", std::to_string(mLeft) + " s", 0.80f, 0.0f, 0.18f, 0.1f);
    addWidget(frame, "TaharezLook/StaticText", "Opening", noteText(), 0.02f, 0.0f, 0.76f, 0.1f);
    // Four boxes a row: the winners' first, the others' below.
    const std::size_t perRow = mOffers.size() > 4 ? 4 : mOffers.size();
    const float w = perRow == 0 ? 0.0f : 0.96f / static_cast<float>(perRow);
    mClickConnections.clear();
    CEGUI::ImageManager& images = CEGUI::ImageManager::getSingleton();
    for (std::size_t i = 0; i < mOffers.size(); ++i) {
        const float x = 0.02f + w * static_cast<float>(i % perRow);
        const float y = 0.12f + 0.22f * static_cast<float>(i / perRow);
        CEGUI::Window* box = addWidget(frame, "TaharezLook/Button", (kBoxPrefix + std::to_string(i)).c_str(),
                                       std::string(), x, y, w - 0.01f, 0.21f);
        CEGUI::WindowManager& wm = CEGUI::WindowManager::getSingleton();
        // The box model's picture over the button, square, and under it what the box shows;
        // clicks go through both to the button.
        const std::string image = "box" + std::to_string(i + 1);
        CEGUI::Window* pic = wm.createWindow("TaharezLook/StaticImage", kPicture);
        pic->setArea(
            CEGUI::URect(CEGUI::UDim(0.05f, 0), CEGUI::UDim(0.04f, 0), CEGUI::UDim(0.95f, 0), CEGUI::UDim(0.7f, 0)));
        pic->setAspectMode(CEGUI::AM_SHRINK);
        pic->setAspectRatio(1.0f);
        pic->setProperty("FrameEnabled", "False");
        pic->setProperty("BackgroundEnabled", "False");
        pic->setMousePassThroughEnabled(true);
        if (images.isDefined(toCeguiString(image)))
            pic->setProperty("Image", toCeguiString(image));
        pic->setAlpha(mOffers[i].b_type == 2 ? 0.4f : 1.0f);
        box->addChild(pic);
        CEGUI::Window* label = wm.createWindow("TaharezLook/StaticText", "Label");
        label->setArea(
            CEGUI::URect(CEGUI::UDim(0.05f, 0), CEGUI::UDim(0.7f, 0), CEGUI::UDim(0.95f, 0), CEGUI::UDim(0.96f, 0)));
        label->setProperty("FrameEnabled", "False");
        label->setProperty("BackgroundEnabled", "False");
        label->setProperty("HorzFormatting", "CentreAligned");
        label->setMousePassThroughEnabled(true);
        label->setText(outsideText(boxText(i)));
        box->addChild(label);
        mClickConnections.emplace_back(box->subscribeEvent(CEGUI::PushButton::EventClicked,
                                                           CEGUI::Event::Subscriber(&BoxPanel::onBoxClicked, this)));
    }
    float y = 0.58f;
    for (std::size_t i = 0; i < mSlots.size() && y < 0.95f; ++i, y += 0.05f) {
        const IBattleOver::AwardSlot& s = mSlots[i];
        if (s.playerId.empty())
            continue;
        const std::string text = s.nickname + (s.me ? " (me)" : "") + ": " +
                                 (s.index < 0 ? s.award.name
                                              : "box " + std::to_string(s.index + 1) + ", " + s.award.name + " x" +
                                                    std::to_string(s.award.bi_num));
        addWidget(frame, "TaharezLook/StaticText", ("Slot" + std::to_string(i)).c_str(), text, 0.02f, y, 0.96f, 0.05f);
    }
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
