#pragma once
// Hero's session against the embedded server, without the rest of the game: the test sets the
// server's config, starts it, logs hero in, and runs the frames in which the server answers and
// the replies reach their completions.
#include <data/ZRKSession.h>
#include <gtest/gtest.h>
#include <memory>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerConfig.h>

#include "support/FramePump.h"

namespace zrktest {

class HeroOnServer : public ::testing::Test {
protected:
    /// Starts the embedded server with `config` and a session playing against it.
    void startServer()
    {
        session.reset(new kavri3D::zrk::ZRKSession(kavri3D::zrk::ZRKGameServer::start(config)));
        server = session->getGameServer();
    }
    /// Logs hero in, the answer let in over `frames` frames.
    void logInHero(int frames)
    {
        session->login("hero", "hero123", [](kavri3D::core::ISession*, int) {});
        tick(frames);
    }
    void tick(int frames = 1) { pump.frames(frames); }

    kavri3D::zrk::ZRKServerConfig config;
    std::unique_ptr<kavri3D::zrk::ZRKSession> session;
    kavri3D::zrk::ZRKGameServer* server = nullptr;
    /// A frame of the game: the server answers, replies reach their completions.
    FramePump pump{[this] {
        session->update(0);
        return true;
    }};
};

} // namespace zrktest
