#pragma once
// The battle with a headless GUI: CEGUI's null renderer made before the plug-in loads (as in
// the game), the main frame's top window lent to the game, the GUI's animations loaded.
#include <core/BlackBoard.h>
#include <core/Frame.h>
#include <core/GuiManager.h>
#include <core/GuiSystem.h>
#include <memory>
#include <misc/CEGUIAnimationLib.h>

#include "BattleServerFixture.h"
#include "services/GameServices.h"
#include "shell/Application.h"

namespace zrktest {

struct HeadlessGui {
    std::unique_ptr<kavri3D::core::GuiSystem> gui = kavri3D::core::GuiSystem::createHeadless(1280, 720);
};

class DisplaysFixture : public HeadlessGui, public BattleServerFixture {
protected:
    kavri3D::core::BlackBoard board;
    kavri3D::core::GuiManager cursor;
    kavri3D::zrk::Application app{nullptr, "game.exe"};
    kavri3D::core::Frame mainFrame{app};
    kavri3D::zrk::GameServices::FrameLoan loan{mainFrame};

    DisplaysFixture()
    {
        mainFrame.create();
        kavri3D::core::CEGUIAnimationLib::instance().loadAnimationsFromResource("ceguiAnimations.xml", "General");
    }
    ~DisplaysFixture() override
    {
        room.reset();
        mainFrame.destroy();
    }
};

} // namespace zrktest
