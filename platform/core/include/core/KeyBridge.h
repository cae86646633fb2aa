#pragma once
#include <string>

namespace CEGUI {
class GUIContext;
class Window;
} // namespace CEGUI

namespace kavri3D {
namespace core {

/// Where the window's keys go: the game's own keys (KeyInput), the lesson's guide and the
/// other key-down subscribers (GuiManager), and CEGUI. Every key has a key-down, letters too,
/// so a panel waiting for a letter hears it; the characters a key typed go to CEGUI as code
/// points. While the player types into a text field, what the key typed stays in the field:
/// neither the game nor any panel behind it hears it. A key's release always reaches the
/// game, so a key held when a field took the focus stops when it is let go.
class KeyBridge {
public:
    /// CEGUI's scan code (KeyInput's numbers) of an X key symbol as the key reads without
    /// modifiers; 0 when CEGUI has none.
    static int scanOf(unsigned long keySym);
    /// A key pressed: its scan code (0 when it has none) and what it typed, UTF-8 (the input
    /// context's reading, any locale). No context: only the game hears it.
    static void keyDown(CEGUI::GUIContext* ctx, int scan, const std::string& typedUtf8);
    static void keyUp(CEGUI::GUIContext* ctx, int scan);
    /// The text field the keys go to (an edit box that takes text), or null.
    static CEGUI::Window* typingField(CEGUI::GUIContext& ctx);
};

} // namespace core
} // namespace kavri3D
