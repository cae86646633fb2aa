// Keys as the window hands them on: any scan code with any bytes for what the key typed (the
// input context's reading), pressed and let go, into a headless CEGUI with a text field that
// has the focus and a panel behind it. The field takes only what its font draws; nothing the
// keys carry may crash the bridge or leave a game key held once every key is up.
#include <CEGUI/CEGUI.h>
#include <core/GuiManager.h>
#include <core/GuiSystem.h>
#include <core/KeyBridge.h>
#include <core/KeyInput.h>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "FuzzSupport.h"

using namespace kavri3D;

namespace {

struct Screen {
    std::unique_ptr<core::GuiSystem> cegui = core::GuiSystem::createHeadless(800, 600);
    core::KeyInput game;
    core::GuiManager keysFirst;
    CEGUI::Window* field = nullptr;

    Screen()
    {
        CEGUI::WindowManager& wm = CEGUI::WindowManager::getSingleton();
        CEGUI::Window* panel = wm.createWindow("TaharezLook/FrameWindow", "panel");
        cegui->getRootWindow()->addChild(panel);
        field = wm.createWindow("TaharezLook/Editbox", "field");
        panel->addChild(field);
        static_cast<CEGUI::Editbox*>(field)->setMaxTextLength(64);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zrkfuzz::FuzzSupport::quiet();
    static Screen screen;
    CEGUI::GUIContext& ctx = CEGUI::System::getSingleton().getDefaultGUIContext();
    // Each key: its scan byte, a length byte, then that many bytes it typed; a zero scan
    // byte moves the focus on or away from the field.
    std::vector<int> held;
    for (std::size_t i = 0; i + 1 < size;) {
        const int scan = data[i];
        const std::size_t length = std::min<std::size_t>(data[i + 1] % 8, size - i - 2);
        const std::string typed(reinterpret_cast<const char*>(data + i + 2), length);
        i += 2 + length;
        if (scan == 0) {
            if (screen.field->isActive())
                screen.field->deactivate();
            else
                screen.field->activate();
            continue;
        }
        core::KeyBridge::keyDown(&ctx, scan, typed);
        held.push_back(scan);
    }
    for (int scan : held)
        core::KeyBridge::keyUp(&ctx, scan);
    for (int scan = 1; scan < 256; ++scan)
        if (screen.game.isKeyDown(scan))
            std::abort();
    screen.game.reset();
    screen.field->setText("");
    return 0;
}
