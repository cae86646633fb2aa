// The Flash movies' table ("res/GUI/flash.json"): what stands in for each movie.
#include <cstdint>
#include <string>
#include <hikari/CEGUIFlash.h>

#include "FuzzSupport.h"

using namespace kavri3D;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    core::CEGUIFlash::MovieTable table;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const bool read = core::CEGUIFlash::readMovieTable(text, table);
    if (table.size() > core::CEGUIFlash::kMaxMovies || (!read && !table.empty()))
        __builtin_trap();
    for (const auto& m : table)
        if (m.first.empty() || m.first.size() > 256)
            __builtin_trap();
    return 0;
}
