#pragma once
#include <gtest/gtest.h>
#include <string>
#include <gui/IGuiControl.h>
#include <gui/IGuiManager.h>
#include <yake/Logger.h>

#include "FakeEvent.h"
#include "shell/ZRKGuiLoader.h"
#include "support/TestEnv.h"

namespace zrktest {

inline std::string pluginPath(const std::string& name) { return binFolder() + "/lib" + name + ".so"; }

/// Whether a captured log line of the channel contains the text.
inline bool logged(const std::string& channel, const std::string& text)
{
    for (const auto& r : yake::logging::logger::instance().captured())
        if (r.channel == channel && r.text.find(text) != std::string::npos)
            return true;
    return false;
}

/// The real GUI plug-in, loaded the way the game loads it, for one test; the tallies outlive
/// the unloading, which deletes the events still registered (a tally local to a test body
/// would be gone by then).
struct PluginFixture : ::testing::Test {
    EventTally tally;
    EventTally otherTally;
    kavri3D::zrk::ZRKGuiLoader loader;
    kavri3D::zrk::gui::IGuiManager* manager = nullptr;
    kavri3D::zrk::gui::IGuiControl* control = nullptr;

    void SetUp() override
    {
        yake::logging::logger::instance().startCapture();
        loader.loadFrom(pluginPath("ZRK_Gui").c_str());
        ASSERT_FALSE(loader.isNull());
        ASSERT_TRUE(loader.createGuiManager(&manager));
        control = manager->getControl();
        ASSERT_NE(control, nullptr);
    }
    void TearDown() override { yake::logging::logger::instance().stopCapture(); }

    FakeEvent* add(int id)
    {
        auto* event = new FakeEvent(id, tally);
        manager->getEventDispatcher()->registerEvent(event);
        return event;
    }
    kavri3D::zrk::gui::ParamNode stringNode(const std::string& name, const std::string& value)
    {
        return kavri3D::zrk::gui::ParamNode::text(name, value);
    }
};

} // namespace zrktest
