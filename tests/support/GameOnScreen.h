#pragma once
// The whole game in a window on the test's display, as the player meets it (WholeGame), with
// the player's mouse and keys into the window. Include it last: it brings X11's macros
// (XWindowInput).
#include <core/GraphicsSystem.h>
#include <gtest/gtest.h>

#include "support/WholeGame.h"
#include "support/XWindowInput.h"

namespace zrktest {

/// A render test of the whole game: its body runs with `graphics`, `input` and `session`
/// standing.
class GameOnScreen : public WholeGame {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(kavri3D::core::GraphicsSystem::displayAvailable()) << "render tests run under Xvfb";
    }

    kavri3D::core::GraphicsSystem* graphics = nullptr;
    XWindowInput input{nullptr};

protected:
    void attach(GameRun& game) override
    {
        WholeGame::attach(game);
        graphics = game.getRenderWindow() ? game.getRenderWindow()->getGraphics() : nullptr;
        input.attach(graphics ? graphics->getRenderWindow() : nullptr);
    }
    void detach() override
    {
        // The keys lent for typing go back while the window is still there.
        input.attach(nullptr);
        graphics = nullptr;
        WholeGame::detach();
    }
    void standing(GameRun& game, const Body& body) override
    {
        ASSERT_NE(graphics, nullptr) << "the game opened no window";
        ASSERT_TRUE(input.valid()) << "the game's window takes no input";
        WholeGame::standing(game, body);
    }
};

} // namespace zrktest
