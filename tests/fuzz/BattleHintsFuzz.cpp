// The battle hints file "_zrk_hints.xml": items, weighted texts, any markup.
#include <cmath>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "battle/BattleHintManager.h"

using namespace kavri3D;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    zrk::BattleHintManager manager(nullptr);
    manager.loadText(std::string(reinterpret_cast<const char*>(data), size));
    // No room: the processors start, run and stop without showing anything.
    manager.update(31.0f);
    manager.update(31.0f);
    manager.stop();
    if (manager.getProcCount() != 0)
        __builtin_trap();
    return 0;
}
