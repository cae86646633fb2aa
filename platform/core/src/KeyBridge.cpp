#include "core/KeyBridge.h"
#include "core/GuiManager.h"
#include "core/KeyInput.h"

#include <CEGUI/CEGUI.h>
#include <vector>

#include <X11/keysym.h> // last: X11's macros

namespace kavri3D {
namespace core {

namespace {

bool isGameKey(int scan)
{
    switch (scan) {
    case KeyInput::KC_W:
    case KeyInput::KC_R:
    case KeyInput::KC_J:
    case KeyInput::KC_A:
    case KeyInput::KC_S:
    case KeyInput::KC_D:
    case KeyInput::KC_Z:
    case KeyInput::KC_X:
    case KeyInput::KC_C:
    case KeyInput::KC_V:
    case KeyInput::KC_B:
    case KeyInput::KC_SPACE:
    case KeyInput::KC_UP:
    case KeyInput::KC_DOWN:
    case KeyInput::KC_LEFT:
    case KeyInput::KC_RIGHT:
        return true;
    default:
        return (scan >= KeyInput::KC_1 && scan <= KeyInput::KC_9) ||
               (scan >= KeyInput::KC_F1 && scan <= KeyInput::KC_F4);
    }
}

void feedGame(int scan, bool down)
{
    KeyInput* keys = KeyInput::getSingletonPtr();
    if (!keys || !isGameKey(scan))
        return;
    if (down)
        keys->injectKeyDown(scan);
    else
        keys->injectKeyUp(scan);
}

// The characters worth typing: control characters (Backspace, Return, Ctrl+letter) are keys.
std::vector<CEGUI::String::value_type> printable(const std::string& utf8)
{
    std::vector<CEGUI::String::value_type> out;
    if (utf8.empty())
        return out;
    const CEGUI::String text(reinterpret_cast<const CEGUI::utf8*>(utf8.c_str()));
    for (std::size_t i = 0; i < text.length(); ++i)
        if (text[i] >= 32 && text[i] != 127 && !(text[i] >= 0x80 && text[i] < 0xA0))
            out.push_back(text[i]);
    return out;
}

// Letters and digits along their rows, the way CEGUI numbers them.
int rowScan(unsigned long sym, const char* row, int first)
{
    for (int i = 0; row[i]; ++i)
        if (sym == static_cast<unsigned char>(row[i]))
            return first + i;
    return 0;
}

} // namespace

int KeyBridge::scanOf(unsigned long sym)
{
    if (sym >= XK_A && sym <= XK_Z)
        sym += XK_a - XK_A;
    if (int s = rowScan(sym, "1234567890-=", CEGUI::Key::One))
        return s;
    if (int s = rowScan(sym, "qwertyuiop[]", CEGUI::Key::Q))
        return s;
    if (int s = rowScan(sym, "asdfghjkl;'`", CEGUI::Key::A))
        return s;
    if (int s = rowScan(sym, "\\zxcvbnm,./", CEGUI::Key::Backslash))
        return s;
    if (sym >= XK_F1 && sym <= XK_F10)
        return CEGUI::Key::F1 + static_cast<int>(sym - XK_F1);
    if (sym >= XK_KP_0 && sym <= XK_KP_9) {
        static const int pad[] = {CEGUI::Key::Numpad0, CEGUI::Key::Numpad1, CEGUI::Key::Numpad2, CEGUI::Key::Numpad3,
                                  CEGUI::Key::Numpad4, CEGUI::Key::Numpad5, CEGUI::Key::Numpad6, CEGUI::Key::Numpad7,
                                  CEGUI::Key::Numpad8, CEGUI::Key::Numpad9};
        return pad[sym - XK_KP_0];
    }
    switch (sym) {
    case XK_Escape:
        return CEGUI::Key::Escape;
    case XK_BackSpace:
        return CEGUI::Key::Backspace;
    case XK_Tab:
    case XK_ISO_Left_Tab:
        return CEGUI::Key::Tab;
    case XK_Return:
        return CEGUI::Key::Return;
    case XK_space:
        return CEGUI::Key::Space;
    case XK_less:
        return CEGUI::Key::OEM_102;
    case XK_F11:
        return CEGUI::Key::F11;
    case XK_F12:
        return CEGUI::Key::F12;
    case XK_Shift_L:
        return CEGUI::Key::LeftShift;
    case XK_Shift_R:
        return CEGUI::Key::RightShift;
    case XK_Control_L:
        return CEGUI::Key::LeftControl;
    case XK_Control_R:
        return CEGUI::Key::RightControl;
    case XK_Alt_L:
        return CEGUI::Key::LeftAlt;
    case XK_Alt_R:
    case XK_ISO_Level3_Shift:
        return CEGUI::Key::RightAlt;
    case XK_Super_L:
        return CEGUI::Key::LeftWindows;
    case XK_Super_R:
        return CEGUI::Key::RightWindows;
    case XK_Menu:
        return CEGUI::Key::AppMenu;
    case XK_Caps_Lock:
        return CEGUI::Key::Capital;
    case XK_Num_Lock:
        return CEGUI::Key::NumLock;
    case XK_Scroll_Lock:
        return CEGUI::Key::ScrollLock;
    case XK_Print:
        return CEGUI::Key::SysRq;
    case XK_Pause:
        return CEGUI::Key::Pause;
    case XK_KP_Enter:
        return CEGUI::Key::NumpadEnter;
    case XK_KP_Add:
        return CEGUI::Key::Add;
    case XK_KP_Subtract:
        return CEGUI::Key::Subtract;
    case XK_KP_Multiply:
        return CEGUI::Key::Multiply;
    case XK_KP_Divide:
        return CEGUI::Key::Divide;
    case XK_KP_Decimal:
    case XK_KP_Separator:
        return CEGUI::Key::Decimal;
    case XK_Insert:
        return CEGUI::Key::Insert;
    case XK_Delete:
        return CEGUI::Key::Delete;
    case XK_Home:
        return CEGUI::Key::Home;
    case XK_End:
        return CEGUI::Key::End;
    case XK_Prior:
        return CEGUI::Key::PageUp;
    case XK_Next:
        return CEGUI::Key::PageDown;
    case XK_Left:
        return CEGUI::Key::ArrowLeft;
    case XK_Right:
        return CEGUI::Key::ArrowRight;
    case XK_Up:
        return CEGUI::Key::ArrowUp;
    case XK_Down:
        return CEGUI::Key::ArrowDown;
    default:
        return 0;
    }
}

CEGUI::Window* KeyBridge::typingField(CEGUI::GUIContext& ctx)
{
    CEGUI::Window* top = ctx.getModalWindow() ? ctx.getModalWindow() : ctx.getRootWindow();
    CEGUI::Window* w = top ? top->getActiveChild() : nullptr;
    if (!w || w->isDisabled() || !w->isEffectiveVisible())
        return nullptr;
    if (auto* edit = dynamic_cast<CEGUI::Editbox*>(w))
        return edit->isReadOnly() ? nullptr : w;
    if (auto* edit = dynamic_cast<CEGUI::MultiLineEditbox*>(w))
        return edit->isReadOnly() ? nullptr : w;
    return nullptr;
}

void KeyBridge::keyDown(CEGUI::GUIContext* ctx, int scan, const std::string& typedUtf8)
{
    const bool modal = ctx && ctx->getModalWindow();
    const bool field = ctx && typingField(*ctx);
    // A box holds the keys too: the game behind it takes none, nor while a field takes text.
    if (!modal && !field)
        feedGame(scan, true);
    if (!ctx)
        return;
    const auto chars = printable(typedUtf8);
    if (field && !chars.empty()) {
        for (auto c : chars)
            ctx->injectChar(c);
        return;
    }
    if (scan) {
        // The lesson's guide hears keys before any window, unless a box or a field has them.
        GuiManager* first = modal || field ? nullptr : GuiManager::getSingletonPtr();
        if (!first || !first->offerKeyDown(scan))
            ctx->injectKeyDown(static_cast<CEGUI::Key::Scan>(scan));
    }
    for (auto c : chars)
        ctx->injectChar(c);
}

void KeyBridge::keyUp(CEGUI::GUIContext* ctx, int scan)
{
    feedGame(scan, false);
    if (ctx && scan)
        ctx->injectKeyUp(static_cast<CEGUI::Key::Scan>(scan));
}

} // namespace core
} // namespace kavri3D
