#include "LoginPage.h"

#include <CEGUI/CEGUI.h>
#include <core/BlackBoard.h>
#include <gui/ParamNode.h>
#include <util/NetServerList.h>

#include <text/CeguiText.h>
#include "EventDispatcher.h"
#include "GuiLog.h"
#include "ParamStore.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
// The form's widgets: name under the page frame, type, text, area (x, y, width, height as
// fractions of the frame's client area).
struct Widget {
    const char* name;
    const char* type;
    const char* text;
    float x, y, w, h;
};
const Widget kWidgets[] = {
    {"Banner", "TaharezLook/StaticImage", "", 0.05f, 0.03f, 0.90f, 0.11f},
    {"NameLabel", "TaharezLook/StaticText", "Name", 0.05f, 0.17f, 0.30f, 0.09f},
    {"Name", "TaharezLook/Editbox", "", 0.38f, 0.17f, 0.57f, 0.09f},
    {"PasswordLabel", "TaharezLook/StaticText", "Password", 0.05f, 0.29f, 0.30f, 0.09f},
    {"Password", "TaharezLook/Editbox", "", 0.38f, 0.29f, 0.57f, 0.09f},
    {"Remember", "TaharezLook/Checkbox", "Remember name", 0.38f, 0.40f, 0.57f, 0.08f},
    {"LogIn", "TaharezLook/Button", "Log in", 0.55f, 0.50f, 0.40f, 0.10f},
    {"Status", "TaharezLook/StaticText", "", 0.05f, 0.62f, 0.90f, 0.09f},
};
// The volume sliders, under the form.
const float kSlidersArea[4] = {0.05f, 0.73f, 0.90f, 0.26f};

} // namespace

LoginPage::LoginPage(const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent,
                     EventDispatcher& dispatcher)
    : GuiPage(kKind, windowName, title, params, std::move(parent)), mDispatcher(dispatcher),
      mVolumes(kKind, params, dispatcher)
{
    setFrameArea(0.3f, 0.2f, 0.7f, 0.8f);
}

LoginPage::~LoginPage() = default;

void LoginPage::buildContent(CEGUI::Window& frame)
{
    for (const Widget& spec : kWidgets)
        addWidget(frame, spec.type, spec.name, spec.text, spec.x, spec.y, spec.w, spec.h);
    frame.getChild("Banner")->setProperty("Image", imageProperty("TaharezLook", "ClientBrush"));
    frame.getChild("NameLabel")->setProperty("FrameEnabled", "false");
    frame.getChild("PasswordLabel")->setProperty("FrameEnabled", "false");
    mVolumes.build(frame, kSlidersArea[0], kSlidersArea[1], kSlidersArea[2], kSlidersArea[3]);
    static_cast<CEGUI::Editbox*>(frame.getChild("Name"))->setMaxTextLength(kNameMaxLength);
    static_cast<CEGUI::Editbox*>(frame.getChild("Password"))->setTextMasked(true);
    // The remembered name may have come before the window: the form starts with it.
    frame.getChild("Name")->setText(toCeguiString(mSavedName));
    static_cast<CEGUI::ToggleButton*>(frame.getChild("Remember"))->setSelected(mSavedLock);
    addServerChoice(frame);
    mClickedConnection = frame.getChild("LogIn")->subscribeEvent(
        CEGUI::PushButton::EventClicked, CEGUI::Event::Subscriber(&LoginPage::onLogInClicked, this));
    // Enter in the password box logs in, as the button does.
    mEnterConnection = frame.getChild("Password")
                           ->subscribeEvent(CEGUI::Editbox::EventTextAccepted,
                                            CEGUI::Event::Subscriber(&LoginPage::onLogInClicked, this));
}

void LoginPage::addServerChoice(CEGUI::Window& frame)
{
    // A choice only where there is one: the game's list names more than one server.
    core::BlackBoard* bb = core::BlackBoard::getSingletonPtr();
    const std::string file = bb ? bb->getString("kavri3D/servers", "") : std::string();
    if (file.empty())
        return;
    core::NetServerList list;
    std::string error;
    if (!list.readFromXmlFile(bb->getString("kavri3D/appPath", "") + file, &error)) {
        guiLog(Severity::Warning, "no server choice: ", error);
        return;
    }
    if (list.size() < 2)
        return;
    auto* choice = static_cast<CEGUI::Combobox*>(
        addWidget(frame, "TaharezLook/Combobox", "Server", "", 0.05f, 0.50f, 0.45f, 0.30f));
    choice->setReadOnly(true);
    // The choice starts at the server the game picked for this run.
    const std::string current = bb->getString("kavri3D/app/net/Name", "");
    std::size_t shown = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        choice->addItem(new CEGUI::ListboxTextItem(outsideText(list.at(i).name), static_cast<CEGUI::uint>(i)));
        if (list.at(i).name == current)
            shown = i;
    }
    choice->setItemSelectState(shown, true);
    choice->setText(outsideText(list.at(shown).name));
    // The list drops over the form; the button and the status stay above it.
    frame.getChild("LogIn")->moveToFront();
}

std::string LoginPage::chosenServer() const
{
    CEGUI::Window* frame = window();
    return frame && frame->isChild("Server") ? fromCeguiString(frame->getChild("Server")->getText()) : std::string();
}

bool LoginPage::onLogInClicked(const CEGUI::EventArgs&)
{
    try {
        logIn();
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "log-in button failed: ", e.what());
    }
    return true;
}

void LoginPage::logIn()
{
    CEGUI::Window* frame = window();
    if (!frame)
        return;
    const std::string name = fromCeguiString(frame->getChild("Name")->getText());
    const std::string password = fromCeguiString(frame->getChild("Password")->getText());
    const bool lock = static_cast<CEGUI::ToggleButton*>(frame->getChild("Remember"))->isSelected();
    if (name.empty()) {
        warn("Enter your name.");
        return;
    }
    if (!mDispatcher.find(kLoginEventId))
        setStatus("Log-in is not ready yet.");
    else
        submit(name, password, lock);
}

bool LoginPage::submit(const std::string& name, const std::string& password, bool lock)
{
    if (!mDispatcher.find(kLoginEventId)) {
        guiLog(Severity::Warning, "log-in asked for before the log-in event was registered");
        return false;
    }
    // Characters, not bytes: every UTF-8 byte but a continuation byte starts one.
    std::size_t length = 0;
    for (char c : name)
        length += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    if (length > kNameMaxLength) {
        // Only the command line can bring such a name; the name box takes no more.
        guiLog(Severity::Warning, "log-in refused: the name is longer than ", kNameMaxLength, " characters");
        warn("The name is too long.");
        return false;
    }
    setStatus("");
    if (CEGUI::Window* frame = window())
        frame->getChild("Name")->setText(toCeguiString(name));
    params().set(kKind, ParamNode::text("username", name));
    params().set(kKind, ParamNode::text("password", password));
    params().set(kKind, ParamNode::boolean("lock", lock));
    params().set(kKind, ParamNode::text("show_name", name));
    const std::string server = chosenServer();
    if (!server.empty()) {
        // The server-choice step hands the game what the player chose before the log-in.
        params().set(kKind, ParamNode::text("login_name", name));
        params().set(kKind, ParamNode::text("login_pwd", password));
        params().set(kKind, ParamNode::text("login_srv", server));
        mDispatcher.callback(kServerChoiceEventId, params().handle(kKind));
        params().set(kKind, ParamNode::text("login_pwd", ""));
    }
    mDispatcher.callback(kLoginEventId, params().handle(kKind));
    // The password is needed only for the call just made; it does not stay in the GUI.
    params().set(kKind, ParamNode::text("password", ""));
    if (CEGUI::Window* still = window())
        still->getChild("Password")->setText("");
    return true;
}

void LoginPage::onFilled(int eventId, ParamList& list)
{
    if (eventId != kLoadingEventId)
        return;
    CEGUI::Window* frame = window();
    for (const ParamNode* n : list) {
        if (!n)
            continue;
        if (n->name == "username") {
            if (const std::string* name = boost::any_cast<std::string>(&n->value)) {
                mSavedName = *name;
                if (frame)
                    frame->getChild("Name")->setText(toCeguiString(*name));
            }
        } else if (n->name == "userlock") {
            if (const bool* lock = boost::any_cast<bool>(&n->value)) {
                mSavedLock = *lock;
                if (frame)
                    static_cast<CEGUI::ToggleButton*>(frame->getChild("Remember"))->setSelected(*lock);
            }
        }
    }
}

void LoginPage::warn(const std::string& text)
{
    setStatus(text);
    showWarning(mDispatcher, text);
}

void LoginPage::onFrame()
{
    // The saved volumes reach the channels after the screen first came up: the sliders follow
    // the channels while it is shown.
    if (CEGUI::Window* frame = window(); frame && frame->isVisible())
        mVolumes.showVolumes(*frame);
}

void LoginPage::setStatus(const std::string& text)
{
    if (CEGUI::Window* frame = window(); frame && frame->isChild("Status"))
        frame->getChild("Status")->setText(outsideText(text));
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
