#include "CreateCharPage.h"

#include <algorithm>
#include <json/json.h>

#include <CEGUI/CEGUI.h>
#include <core/BlackBoard.h>
#include <gui/ParamNode.h>

#include <text/CeguiText.h>
#include "EventDispatcher.h"
#include "GuiLog.h"
#include "ParamStore.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
const char* const kPartNames[CreateCharPage::kParts] = {"Hair", "Face", "Coat", "Glove", "Shoes"};
const char* const kPartKeys[CreateCharPage::kParts] = {"hair", "face", "coat", "glove", "shoes"};
// The actions the button goes through; the game plays the last one for any index beyond.
const int kActions = 3;
const char* const kButton = "TaharezLook/Button";
const char* const kText = "TaharezLook/StaticText";

std::string partWidget(int part, const char* what) { return std::string("Part") + std::to_string(part) + what; }

/// Characters, not bytes: every UTF-8 byte but a continuation byte starts one.
std::size_t characters(const std::string& text)
{
    std::size_t n = 0;
    for (char c : text)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return n;
}
} // namespace

CreateCharPage::CreateCharPage(const std::string& windowName, const std::string& title, ParamStore& params,
                               ParentSource parent, EventDispatcher& dispatcher, std::function<void()> show)
    : GuiPage(kKind, windowName, title, params, std::move(parent)), mDispatcher(dispatcher), mShow(std::move(show))
{
    mState.look = "boy";
}

// The button connections (members) end before the base destroys the window.
CreateCharPage::~CreateCharPage() = default;

void CreateCharPage::buildContent(CEGUI::Window& frame)
{
    mConnections.clear();
    frame.setArea(
        CEGUI::URect(CEGUI::UDim(0.64f, 0), CEGUI::UDim(0.06f, 0), CEGUI::UDim(0.98f, 0), CEGUI::UDim(0.94f, 0)));
    addWidget(frame, kButton, "Boy", "Boy", 0.05f, 0.02f, 0.42f, 0.07f);
    addWidget(frame, kButton, "Girl", "Girl", 0.53f, 0.02f, 0.42f, 0.07f);
    for (int part = 0; part < kParts; ++part) {
        const float y = 0.12f + 0.085f * static_cast<float>(part);
        addWidget(frame, kText, partWidget(part, "Label").c_str(), kPartNames[part], 0.05f, y, 0.27f, 0.07f)
            ->setProperty("FrameEnabled", "false");
        addWidget(frame, kButton, partWidget(part, "Prev").c_str(), "<", 0.34f, y, 0.14f, 0.07f);
        addWidget(frame, kText, partWidget(part, "Count").c_str(), "", 0.50f, y, 0.28f, 0.07f)
            ->setProperty("HorzFormatting", "CentreAligned");
        addWidget(frame, kButton, partWidget(part, "Next").c_str(), ">", 0.80f, y, 0.15f, 0.07f);
    }
    addWidget(frame, kText, "NameLabel", "Name", 0.05f, 0.56f, 0.27f, 0.07f)->setProperty("FrameEnabled", "false");
    static_cast<CEGUI::Editbox*>(addWidget(frame, "TaharezLook/Editbox", "Name", "", 0.34f, 0.56f, 0.61f, 0.07f))
        ->setMaxTextLength(kNameMaxLength);
    addWidget(frame, kButton, "TurnLeft", "Turn left", 0.05f, 0.66f, 0.28f, 0.07f);
    addWidget(frame, kButton, "Action", "Action", 0.36f, 0.66f, 0.28f, 0.07f);
    addWidget(frame, kButton, "TurnRight", "Turn right", 0.67f, 0.66f, 0.28f, 0.07f);
    addWidget(frame, kButton, "Create", "Create", 0.25f, 0.76f, 0.50f, 0.08f);
    addWidget(frame, kText, "Status", "", 0.05f, 0.87f, 0.90f, 0.10f)
        ->setProperty("HorzFormatting", "WordWrapCentreAligned");

    std::vector<std::string> clickable = {"Boy", "Girl", "Action", "Create"};
    for (int part = 0; part < kParts; ++part) {
        clickable.push_back(partWidget(part, "Prev"));
        clickable.push_back(partWidget(part, "Next"));
    }
    for (const std::string& name : clickable)
        mConnections.push_back(frame.getChild(toCeguiString(name))
                                   ->subscribeEvent(CEGUI::PushButton::EventClicked,
                                                    CEGUI::Event::Subscriber(&CreateCharPage::onClicked, this)));
    for (const char* name : {"TurnLeft", "TurnRight"}) {
        CEGUI::Window* button = frame.getChild(name);
        mConnections.push_back(button->subscribeEvent(CEGUI::Window::EventMouseButtonDown,
                                                      CEGUI::Event::Subscriber(&CreateCharPage::onTurnDown, this)));
        for (const CEGUI::String& ends : {CEGUI::Window::EventMouseButtonUp, CEGUI::Window::EventMouseLeavesArea})
            mConnections.push_back(
                button->subscribeEvent(ends, CEGUI::Event::Subscriber(&CreateCharPage::onTurnUp, this)));
    }
    // Escape anywhere on the page (the name box too) asks the quit question.
    mConnections.push_back(
        frame.subscribeEvent(CEGUI::Window::EventKeyDown, CEGUI::Event::Subscriber(&CreateCharPage::onKeyDown, this)));
    refresh();
}

void CreateCharPage::onRaised(int eventId)
{
    if (eventId == kSceneReadyId)
        mShowPending = true; // on the GUI's next frame: never inside the game's call
}

void CreateCharPage::onFrame()
{
    if (mShowPending) {
        mShowPending = false;
        if (mShow)
            mShow();
        // The keys come to the page from the start (Escape before any click).
        if (CEGUI::Window* frame = window())
            frame->activate();
        if (!mDispatcher.callback(kLoadingEventId, params().handle(kKind)))
            guiLog(Severity::Warning, "the creation screen came up without its loading event");
    }
    if (mGoOnPending) {
        mGoOnPending = false;
        params().set(kKind, ParamNode::boolean("goCreate", false));
        mDispatcher.callback(kCreateEventId, params().handle(kKind));
    }
    if (mLoaded && !mAutoNameDone) {
        mAutoNameDone = true;
        core::BlackBoard* bb = core::BlackBoard::getSingletonPtr();
        const std::string name = bb ? bb->getString("kavri3D/nickname", "") : std::string();
        if (!name.empty())
            create(name);
    }
}

void CreateCharPage::onFilled(int eventId, ParamList& list)
{
    if (eventId == kLoadingEventId) {
        for (const ParamNode* n : list) {
            if (!n)
                continue;
            if (n->name == "isboy") {
                if (const bool* boy = boost::any_cast<bool>(&n->value))
                    mState.look = *boy ? "boy" : "girl";
                continue;
            }
            const int* value = boost::any_cast<int>(&n->value);
            for (int part = 0; value && part < kParts; ++part) {
                if (n->name == kPartKeys[part])
                    mState.index[part] = *value;
                else if (n->name == std::string(kPartKeys[part]) + "_max")
                    mCounts[part] = *value < 0 ? 0 : *value;
            }
        }
        readDefaultLook();
        mLoaded = true;
        setStatus("Choose a look and a name, then press Create.");
        refresh();
    } else if (eventId == kCreateEventId) {
        for (const ParamNode* n : list) {
            const bool* ret = n && n->name == "ret" ? boost::any_cast<bool>(&n->value) : nullptr;
            if (!ret || !mCreating)
                continue;
            mCreating = false;
            if (*ret) {
                setStatus("Your character is ready.");
                mGoOnPending = true;
            } else {
                setStatus("The character could not be created.");
            }
        }
    }
}

void CreateCharPage::readDefaultLook()
{
    // The default-appearance document lists each look's choices: a part the loading event
    // gave no count for offers as many as the document has.
    ParamList* list = mDispatcher.find(kDefStateEventId) ? mDispatcher.fillParams(kDefStateEventId) : nullptr;
    const Json::Value* doc = nullptr;
    for (const ParamNode* n : list ? *list : ParamList())
        if (n && n->name == "defState")
            if (const Json::Value* const* value = boost::any_cast<const Json::Value*>(&n->value))
                doc = *value;
    if (!doc || !doc->isObject() || !(*doc)[mState.look].isObject()) {
        guiLog(Severity::Warning, "the creation screen has no default look for ", mState.look);
        return;
    }
    const Json::Value& look = (*doc)[mState.look];
    for (int part = 0; part < kParts; ++part) {
        const Json::Value& choices = look[kPartKeys[part]];
        if (mCounts[part] == 0 && choices.isArray())
            mCounts[part] = static_cast<int>(std::min<Json::ArrayIndex>(choices.size(), 1000));
        if (mCounts[part] > 0 && (mState.index[part] < 0 || mState.index[part] >= mCounts[part]))
            mState.index[part] = 0;
    }
}

bool CreateCharPage::sendState(int action)
{
    params().set(kKind, ParamNode("state", mState, static_cast<std::int32_t>(sizeof(RoleState)), ParamNode::Record));
    params().set(kKind, ParamNode::integer("animation", action));
    refresh();
    return mDispatcher.callback(kChangeEventId, params().handle(kKind));
}

bool CreateCharPage::chooseLook(bool boy)
{
    mState.look = boy ? "boy" : "girl";
    return sendState(-1);
}

bool CreateCharPage::stepPart(int part, int delta)
{
    if (part < 0 || part >= kParts)
        return false;
    const int n = mCounts[part];
    // The two looks offer the same number of each part; without a count nothing changes.
    if (n > 0)
        mState.index[part] = ((mState.index[part] + delta) % n + n) % n;
    return sendState(-1);
}

bool CreateCharPage::playAction()
{
    const int action = mNextAction;
    mNextAction = (mNextAction + 1) % kActions;
    return sendState(action);
}

bool CreateCharPage::turn(bool rotate, bool clockwise)
{
    params().set(kKind, ParamNode::boolean("flags", rotate));
    params().set(kKind, ParamNode::boolean("isClock", clockwise));
    return mDispatcher.callback(kRollEventId, params().handle(kKind));
}

bool CreateCharPage::create(const std::string& nickname)
{
    if (!mDispatcher.find(kCreateEventId)) {
        guiLog(Severity::Warning, "Create pressed before the creation event was registered");
        return false;
    }
    if (characters(nickname) > kNameMaxLength) {
        guiLog(Severity::Warning, "a name longer than ", kNameMaxLength, " characters is not sent");
        setStatus("The name is too long.");
        showWarning(mDispatcher, "The name is too long.");
        return false;
    }
    if (nickname.empty()) {
        setStatus("Enter a name.");
        showWarning(mDispatcher, "Enter a name.");
        return false;
    }
    if (CEGUI::Window* frame = window())
        frame->getChild("Name")->setText(toCeguiString(nickname));
    setStatus("Creating your character...");
    mCreating = true;
    params().set(kKind, ParamNode::boolean("goCreate", true));
    params().set(kKind, ParamNode::text("nickname", nickname));
    params().set(kKind, ParamNode("state", mState, static_cast<std::int32_t>(sizeof(RoleState)), ParamNode::Record));
    return mDispatcher.callback(kCreateEventId, params().handle(kKind));
}

void CreateCharPage::refresh()
{
    CEGUI::Window* frame = window();
    if (!frame)
        return;
    for (int part = 0; part < kParts; ++part) {
        const std::string count = mCounts[part] > 0
                                      ? std::to_string(mState.index[part] + 1) + " / " + std::to_string(mCounts[part])
                                      : "- / -";
        frame->getChild(toCeguiString(partWidget(part, "Count")))->setText(toCeguiString(count));
    }
    // The chosen look's button reads in yellow.
    for (const char* look : {"boy", "girl"}) {
        CEGUI::Window* button = frame->getChild(std::string(look) == "boy" ? "Boy" : "Girl");
        if (button->isPropertyPresent("NormalTextColour"))
            button->setProperty("NormalTextColour", mState.look == look ? "FFFFFF00" : "FFFFFFFF");
    }
    frame->getChild("Status")->setText(outsideText(mStatus));
}

void CreateCharPage::setStatus(const std::string& text)
{
    mStatus = text;
    if (CEGUI::Window* frame = window())
        frame->getChild("Status")->setText(outsideText(text));
}

bool CreateCharPage::onClicked(const CEGUI::EventArgs& args)
{
    try {
        const std::string name = fromCeguiString(static_cast<const CEGUI::WindowEventArgs&>(args).window->getName());
        if (name == "Boy" || name == "Girl") {
            chooseLook(name == "Boy");
        } else if (name == "Action") {
            playAction();
        } else if (name == "Create") {
            CEGUI::Window* frame = window();
            const std::string nickname = frame ? fromCeguiString(frame->getChild("Name")->getText()) : std::string();
            create(nickname);
        } else {
            for (int part = 0; part < kParts; ++part) {
                if (name == partWidget(part, "Prev"))
                    stepPart(part, -1);
                else if (name == partWidget(part, "Next"))
                    stepPart(part, 1);
            }
        }
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "creation page button failed: ", e.what());
    }
    return true;
}

bool CreateCharPage::askQuit()
{
    // The page gives no "confirm": the question is asked, never a quit unasked.
    return mDispatcher.callback(kQuitEventId, params().handle(kKind));
}

bool CreateCharPage::onKeyDown(const CEGUI::EventArgs& args)
{
    try {
        if (static_cast<const CEGUI::KeyEventArgs&>(args).scancode != CEGUI::Key::Escape)
            return false;
        askQuit();
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "the quit question was not asked: ", e.what());
    }
    return true;
}

bool CreateCharPage::onTurnDown(const CEGUI::EventArgs& args)
{
    try {
        const CEGUI::Window* button = static_cast<const CEGUI::WindowEventArgs&>(args).window;
        turn(true, button->getName() == "TurnRight");
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "turning failed: ", e.what());
    }
    return true;
}

bool CreateCharPage::onTurnUp(const CEGUI::EventArgs& args)
{
    try {
        const CEGUI::Window* button = static_cast<const CEGUI::WindowEventArgs&>(args).window;
        turn(false, button->getName() == "TurnRight");
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "turning failed: ", e.what());
    }
    return true;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
