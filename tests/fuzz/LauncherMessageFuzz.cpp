// The hosting launcher's bytes as the platform library hands them to the game: checked on the
// library's thread, and what passes is posted to the frame loop as one command with its flag.
#include <cstdint>
#include <cstdlib>
#include <win32/Windows.h>

#include "FuzzSupport.h"
#include "shell/MainFrame.h"

using kavri3D::zrk::MainFrame;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zrkfuzz::FuzzSupport::quiet();
    win32ClearMessages();
    MainFrame::CProcEventHandler handler;
    handler.onMessage(nullptr, static_cast<std::uint32_t>(size), size ? data : nullptr);
    MSG m;
    int posted = 0;
    while (PeekMessageW(&m)) {
        // Only the two commands the game acts on travel, one message for one input.
        if (m.message != MainFrame::kLauncherMessage || (m.wParam != 3 && m.wParam != 4) || ++posted > 1)
            std::abort();
    }
    return 0;
}
