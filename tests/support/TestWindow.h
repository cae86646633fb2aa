#pragma once
// A real game window for a render test: its own OGRE log in the test's folder (none: empty)
// and, where the test asks, the game's clock moved by hand from 100 s so the pictures do not
// depend on timing.
#include <core/GraphicsSystem.h>
#include <memory>
#include <string>
#include <yake/Time.h>

#include "support/FramePump.h"

namespace zrktest {

inline std::unique_ptr<kavri3D::core::GraphicsSystem>
openTestWindow(const std::string& title, int width, int height, const std::string& logFile, bool manualClock = true)
{
    kavri3D::core::GraphicsSystem::WindowSpec spec;
    spec.title = title;
    spec.width = width;
    spec.height = height;
    spec.logFile = logFile;
    std::unique_ptr<kavri3D::core::GraphicsSystem> gfx = kavri3D::core::GraphicsSystem::create(false, spec);
    if (gfx && manualClock) {
        yake::native::setManualClock(true);
        yake::native::setTime(100.0);
    }
    return gfx;
}

/// The frames of a bare window: each draws it, `seconds` of its time passing.
inline FramePump drawingPump(kavri3D::core::GraphicsSystem& gfx, float seconds)
{
    return FramePump([&gfx, seconds] { return gfx.renderOneFrame(seconds); });
}

} // namespace zrktest
