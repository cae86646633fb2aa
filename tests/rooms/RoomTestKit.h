#pragma once
#include <gtest/gtest.h>
#include <core/GraphicsSystem.h>
#include <core/GuiSystem.h>
#include <core/TimerManager.h>
#include <memory>
#include <string>
#include <vector>
#include <yake/Logger.h>
#include <yake/Time.h>

#include "rooms/BasicRoom.h"
#include "support/TestEnv.h"

namespace roomtest {

/// The framework clock, moved by hand.
struct ManualClock {
    ManualClock()
    {
        yake::native::setManualClock(true);
        yake::native::setTime(100.0);
    }
    ~ManualClock()
    {
        kavri3D::core::TimerManager::instance().clear();
        yake::native::setManualClock(false);
    }
};

/// The game window's scene graph and GUI without a display.
struct HeadlessGraphics {
    zrktest::TempDir dir;
    std::unique_ptr<kavri3D::core::GraphicsSystem> graphics;
    HeadlessGraphics()
    {
        kavri3D::core::GraphicsSystem::WindowSpec spec;
        spec.logFile = dir.file("ogre.log");
        graphics = kavri3D::core::GraphicsSystem::create(true, spec);
    }
};

/// A room that records the room messages and connection changes that reach it.
class RecordingRoom : public kavri3D::zrk::BasicRoom {
public:
    explicit RecordingRoom(const std::string& name = "testroom") { setName(name); }
    std::vector<std::string> seen;
    void onMemberMessage(const std::string& room, const std::string& text, bool) override
    {
        seen.push_back(room + ": " + text);
    }
    void onConnectionChanged(kavri3D::core::ISession*, int state) override
    {
        seen.push_back("connection " + std::to_string(state));
    }
};

/// Captures the log for the test's scope.
struct LogCapture {
    LogCapture()
    {
        yake::logging::logger::instance().enableAllSeverities();
        yake::logging::logger::instance().startCapture();
    }
    ~LogCapture() { yake::logging::logger::instance().stopCapture(); }
    std::size_t count(const std::string& channel, const std::string& text) const
    {
        return yake::logging::logger::instance().countCaptured(channel, text);
    }
};

} // namespace roomtest
