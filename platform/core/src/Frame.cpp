#include "core/Frame.h"

#include <CEGUI/CEGUI.h>
#include <algorithm>
#include <text/CeguiText.h>
#include <yake/Logger.h>

#include "core/GuiSystem.h"

namespace kavri3D {
namespace core {

namespace {
using yake::logging::Severity;
const float kButtonWidth = 80.f;
const float kButtonHeight = 28.f;
const float kButtonGap = 10.f;
const float kBoxMargin = 20.f;

using zrk::gui::outsideText;
using zrk::gui::toCeguiString;

const yake::logging::Channel logFrame("Frame");

/// Texts written for Windows end their lines in "\r\n"; the GUI breaks at "\n" alone and
/// would draw the "\r" as a box. A title has no second line: its breaks become spaces.
std::string withBreaks(const std::string& text, bool title)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += c == '\r' || c == '\n' ? (title ? ' ' : '\n') : c;
    }
    return out;
}
} // namespace

/// The box the player has in front of him: its record, its answer signal and its windows.
struct Frame::OpenBox {
    std::size_t record = 0;
    ResultSignal answer;
    CEGUI::Window* window = nullptr;
};

Frame::Frame(Application& app) : mApp(app) {}

Frame::~Frame()
{
    closeBox();
    destroyPanels();
    destroyTopWindow();
}

bool Frame::create()
{
    if (!createTopWindow("MainFrame")) {
        logFrame(Severity::Error, "cannot create the frame's top window");
        return false;
    }
    onFrameCreated();
    return true;
}

void Frame::destroy()
{
    closeBox();
    destroyPanels();
    const bool hadWindow = getTopWindow() != nullptr;
    GuiSystem* gui = GuiSystem::getSingletonPtr();
    if (mAnswering > 0 && gui) {
        // Asked from inside a box's button click: CEGUI is still in that button, which lives
        // under the top window. The windows go at the start of the next frame.
        CEGUI::Window* top = takeTopWindow();
        if (isLiveWindow(top)) {
            top->hide();
            gui->destroyLater(top);
        }
    } else {
        if (gui)
            gui->destroyPendingWindows();
        destroyTopWindow();
        // Free the frame's windows now, while the GUI plug-in whose handlers they still hold
        // is loaded; it is unloaded before the GUI system goes.
        if (hadWindow && CEGUI::WindowManager::getSingletonPtr())
            CEGUI::WindowManager::getSingleton().cleanDeadPool();
    }
    mScene = nullptr;
    if (hadWindow)
        onFrameDestroyed();
}

bool Frame::enterScene(SceneInstance* scene)
{
    mScene = scene;
    return scene != nullptr;
}

void Frame::leaveScene() { mScene = nullptr; }

void Frame::messageBox(const std::string& titleKey, const std::string& textKey, int style, int type, int width,
                       int height)
{
    openBox(titleKey, textKey, true, style, type, width, height, false);
}

void Frame::messageBoxText(const std::string& title, const std::string& text, int style, int type, int width,
                           int height)
{
    openBox(title, text, false, style, type, width, height, false);
}

boost::signals2::connection Frame::messageBox2(const std::string& titleKey, const std::string& textKey,
                                               const ResultSlot& slot, int style, int type, int width, int height)
{
    openBox(titleKey, textKey, true, style, type, width, height, true);
    return mOpen->answer.connect(slot);
}

void Frame::messageBox(const std::string& titleKey, const std::string& textKey, const BoxKind& kind)
{
    messageBox(titleKey, textKey, kind.style, kind.type, kind.width, kind.height);
}

void Frame::messageBoxText(const std::string& title, const std::string& text, const BoxKind& kind)
{
    messageBoxText(title, text, kind.style, kind.type, kind.width, kind.height);
}

boost::signals2::connection Frame::messageBox2(const std::string& titleKey, const std::string& textKey,
                                               const ResultSlot& slot, const BoxKind& kind)
{
    return messageBox2(titleKey, textKey, slot, kind.style, kind.type, kind.width, kind.height);
}

void Frame::cancelMessageBox() { dismissBox(); }

void Frame::closeBox() { takeOpenBox(); }

void Frame::dismissBox()
{
    std::unique_ptr<OpenBox> box = takeOpenBox();
    if (box)
        answer(*box, -1);
}

void Frame::answer(OpenBox& box, int button)
{
    DialogBoxResult result;
    result.box = mBoxes[box.record].id;
    result.button = button;
    try {
        box.answer(result);
    } catch (const std::exception& e) {
        logFrame(Severity::Error, std::string("message box answer failed: ") + e.what());
    } catch (...) {
        logFrame(Severity::Error, "message box answer failed");
    }
}

const Frame::BoxRecord* Frame::getOpenMessageBox() const { return mOpen ? &mBoxes[mOpen->record] : nullptr; }

CEGUI::Window* Frame::getMessageBoxWindow() const
{
    return mOpen && isLiveWindow(mOpen->window) ? mOpen->window : nullptr;
}

void Frame::onBoxButtonClicked(int boxId, int index)
{
    // A click that CEGUI delivers late (the box already answered or replaced) answers nothing.
    if (!mOpen || mBoxes[mOpen->record].id != boxId)
        return;
    ++mAnswering;
    pressMessageBoxButton(index);
    --mAnswering;
}

bool Frame::onBoxKeyDown(int boxId, int scanCode)
{
    // Enter answers with the box's first button, its default; Escape with its Cancel, and
    // closes a box without one unanswered, as the title bar's close button would. The keys
    // stop at the box, so the box itself takes them. Like a click, it is still inside the box.
    const bool enter = scanCode == CEGUI::Key::Return || scanCode == CEGUI::Key::NumpadEnter;
    if ((!enter && scanCode != CEGUI::Key::Escape) || !mOpen || mBoxes[mOpen->record].id != boxId)
        return false;
    const BoxRecord& record = mBoxes[mOpen->record];
    ++mAnswering;
    if (enter)
        pressMessageBoxButton(0);
    else if (record.style & BoxCancel)
        pressMessageBoxButton(static_cast<int>(record.buttons.size()) - 1);
    else
        dismissBox();
    --mAnswering;
    return true;
}

bool Frame::pressMessageBoxButton(int index)
{
    if (!mOpen)
        return false;
    BoxRecord& record = mBoxes[mOpen->record];
    if (index < 0 || index >= static_cast<int>(record.buttons.size()))
        return false;
    record.pressed = index;
    // The box is closed before its answer runs: the answer may open the next box.
    std::unique_ptr<OpenBox> box = takeOpenBox();
    answer(*box, index);
    return true;
}

void Frame::openBox(const std::string& title, const std::string& text, bool byKey, int style, int type, int width,
                    int height, bool choice)
{
    // The box it replaces hears, once, that nobody answered it. Its answer may open a box of
    // its own, which this one replaces in turn; answers that keep opening boxes are cut short.
    for (int replaced = 0; mOpen && replaced < 8; ++replaced)
        dismissBox();
    closeBox();
    BoxRecord record;
    record.id = static_cast<int>(mBoxes.size()) + 1;
    if (byKey) {
        record.titleKey = title;
        record.textKey = text;
    }
    record.title = byKey ? lookUp(title) : title;
    record.text = byKey ? lookUp(text) : text;
    record.style = style;
    record.type = type;
    record.width = width;
    record.height = height;
    record.choice = choice;
    record.open = true;
    record.buttons.push_back("OK");
    if (style & BoxCancel)
        record.buttons.push_back("Cancel");
    mBoxes.push_back(record);
    mOpen.reset(new OpenBox);
    mOpen->record = mBoxes.size() - 1;
    buildBoxWindow(mBoxes.back());
}

std::unique_ptr<Frame::OpenBox> Frame::takeOpenBox()
{
    std::unique_ptr<OpenBox> box(mOpen.release());
    if (!box)
        return box;
    // The box may be closing from inside its own button's click: CEGUI is still walking that
    // button's handlers and the button itself. The box is hidden now and destroyed, with its
    // handlers, at the start of the next frame.
    if (isLiveWindow(box->window)) {
        box->window->setModalState(false);
        box->window->hide();
        if (GuiSystem* gui = GuiSystem::getSingletonPtr())
            gui->destroyLater(box->window);
        else
            destroyLiveWindow(box->window);
    }
    box->window = nullptr;
    mBoxes[box->record].open = false;
    return box;
}

std::string Frame::lookUp(const std::string& key) const
{
    if (!mLookup)
        return key;
    std::string text;
    try {
        text = mLookup(key);
    } catch (...) {
        text.clear();
    }
    return text.empty() ? key : text;
}

void Frame::fitBoxWindow(CEGUI::Window& box, CEGUI::Window& text, const CEGUI::Window& parent)
{
    // A box grows to show its whole title and text, up to the window less a margin; the
    // text wraps within it.
    const CEGUI::Sizef room = parent.getPixelSize();
    const float maxW = std::max(kButtonWidth * 3, room.d_width - 2 * kBoxMargin);
    const float maxH = std::max(kButtonHeight * 3, room.d_height - 2 * kBoxMargin);
    CEGUI::Sizef size = box.getPixelSize();
    if (const CEGUI::Font* font = box.getFont()) {
        // The title bar takes the title and its ends (about one line's height each side).
        const float title = font->getTextExtent(box.getText()) + 2 * font->getLineSpacing() + 16;
        size.d_width = std::min(maxW, std::max(size.d_width, title));
    }
    // The sizes asked for are the least a box has: it grows taller for a longer text, and
    // wider once it is as tall as the window allows.
    for (int widen = 0;; ++widen) {
        box.setSize(CEGUI::USize(CEGUI::UDim(0, size.d_width), CEGUI::UDim(0, size.d_height)));
        const float needed = CEGUI::PropertyHelper<float>::fromString(text.getProperty("VertExtent"));
        const float shown = text.getPixelSize().d_height;
        if (needed <= shown + 0.5f)
            break;
        const float taller = std::min(maxH, size.d_height + (needed - shown) + 4);
        if (taller > size.d_height + 0.5f) {
            size.d_height = taller;
            continue;
        }
        if (size.d_width >= maxW || widen > 16)
            break;
        size.d_width = std::min(maxW, size.d_width * 1.25f);
    }
    box.setArea(CEGUI::UVector2(CEGUI::UDim(0.5f, -size.d_width / 2), CEGUI::UDim(0.5f, -size.d_height / 2)),
                CEGUI::USize(CEGUI::UDim(0, size.d_width), CEGUI::UDim(0, size.d_height)));
}

void Frame::buildBoxWindow(BoxRecord& record)
{
    CEGUI::Window* parent = getTopWindow();
    if (!isLiveWindow(parent))
        parent = GuiSystem::getSingletonPtr() ? GuiSystem::getSingletonPtr()->getRootWindow() : nullptr;
    if (!isLiveWindow(parent))
        return;
    const float w = static_cast<float>(record.width > 0 ? record.width : 300);
    const float h = static_cast<float>(record.height > 0 ? record.height : 150);
    CEGUI::WindowManager& wm = CEGUI::WindowManager::getSingleton();
    try {
        auto* box = static_cast<CEGUI::FrameWindow*>(
            wm.createWindow("TaharezLook/FrameWindow", toCeguiString("MessageBox" + std::to_string(record.id))));
        mOpen->window = box;
        box->setArea(CEGUI::UVector2(CEGUI::UDim(0.5f, -w / 2), CEGUI::UDim(0.5f, -h / 2)),
                     CEGUI::USize(CEGUI::UDim(0, w), CEGUI::UDim(0, h)));
        // A box may show the server's text, or a name it was given: shown as written.
        box->setText(outsideText(withBreaks(record.title, true)));
        box->setSizingEnabled(false);
        // Only the buttons answer a box; the title bar's close button would leave it unanswered.
        box->setCloseButtonEnabled(false);
        box->setAlwaysOnTop(true);

        CEGUI::Window* text = wm.createWindow("TaharezLook/StaticText", "Text");
        text->setArea(CEGUI::UVector2(CEGUI::UDim(0, 8), CEGUI::UDim(0, 4)),
                      CEGUI::USize(CEGUI::UDim(1, -16), CEGUI::UDim(1, -(kButtonHeight + 16))));
        text->setProperty("FrameEnabled", "False");
        text->setProperty("BackgroundEnabled", "False");
        text->setProperty("HorzFormatting", "WordWrapCentreAligned");
        text->setText(outsideText(withBreaks(record.text, false)));
        box->addChild(text);

        const float total = record.buttons.size() * kButtonWidth + (record.buttons.size() - 1) * kButtonGap;
        for (std::size_t i = 0; i < record.buttons.size(); ++i) {
            CEGUI::Window* button = wm.createWindow("TaharezLook/Button", toCeguiString("Button" + std::to_string(i)));
            button->setArea(CEGUI::UVector2(CEGUI::UDim(0.5f, -total / 2 + i * (kButtonWidth + kButtonGap)),
                                            CEGUI::UDim(1, -(kButtonHeight + 6))),
                            CEGUI::USize(CEGUI::UDim(0, kButtonWidth), CEGUI::UDim(0, kButtonHeight)));
            button->setText(toCeguiString(record.buttons[i]));
            const int index = static_cast<int>(i);
            const int boxId = record.id;
            // The subscription goes with the button's window; it is never ended from inside it.
            button->subscribeEvent(CEGUI::PushButton::EventClicked,
                                   CEGUI::Event::Subscriber([this, boxId, index](const CEGUI::EventArgs&) {
                                       onBoxButtonClicked(boxId, index);
                                       return true;
                                   }));
            box->addChild(button);
        }
        const int boxId = record.id;
        box->subscribeEvent(CEGUI::Window::EventKeyDown,
                            CEGUI::Event::Subscriber([this, boxId](const CEGUI::EventArgs& args) {
                                return onBoxKeyDown(boxId, static_cast<const CEGUI::KeyEventArgs&>(args).scancode);
                            }));
        parent->addChild(box);
        fitBoxWindow(*box, *text, *parent);
        box->activate();
        // The box holds the screen: nothing behind it takes a click or a key until it closes.
        box->setModalState(true);
    } catch (const CEGUI::Exception& e) {
        logFrame(Severity::Error, std::string("cannot show a message box: ") + e.getMessage().c_str());
        destroyLiveWindow(mOpen->window);
        mOpen->window = nullptr;
    }
}

} // namespace core
} // namespace kavri3D
