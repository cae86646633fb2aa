#pragma once
#include <vector>

namespace zrktest {

/// A GUI plug-in of tests/gui/plugins that the game refuses, and the one log line that says why.
struct BrokenPlugin {
    const char* name;
    const char* logLine;
};

inline std::vector<BrokenPlugin> incompletePlugins()
{
    return {
        {"ZRK_GuiLacksManager", "GUI plug-in lacks the export zrkGuiManagerCreator"},
        {"ZRK_GuiLacksRes", "GUI plug-in lacks the export zrkGuiResCreator"},
        {"ZRK_GuiLacksOverlay", "GUI plug-in lacks the export zrkRegistOverlayFactory"},
        {"ZRK_GuiGivesNothing", "zrkGuiManagerCreator gave no object"},
    };
}

} // namespace zrktest
