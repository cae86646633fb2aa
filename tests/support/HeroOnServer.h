#pragma once
// Hero's session against the embedded server, without the rest of the game: the test sets the
// server's config, starts it, logs hero in, and runs the frames in which the server answers and
// the replies reach their completions.
#include <data/ZRKRequestBroker.h>
#include <data/ZRKSession.h>
#include <gtest/gtest.h>
#include <json/value.h>
#include <memory>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerConfig.h>
#include <string>
#include <utility>

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
    /// Sends a room request with its arguments and runs frames until it is answered: the error
    /// flag and the text ("unanswered" when no answer came in ten frames).
    template <class... Args> std::pair<bool, std::string> roomAsk(const char* op, const Args&... args)
    {
        std::pair<bool, std::string> out{true, "unanswered"};
        bool asked = false;
        auto reply = [&](bool error, const std::string& text) {
            out = {error, text};
            asked = true;
        };
        kavri3D::zrk::ZRKRequestBroker::call("ZRKRoomRequest", op, reply, args...);
        pump.until([&] { return asked; }, 10, std::string("the answer to ") + op);
        return out;
    }
    /// A completion for a request the test sends itself; answer() waits for it.
    kavri3D::zrk::ZRKReply track()
    {
        done = false;
        return [this](bool error, const std::string& text) {
            result = {error, text};
            done = true;
        };
    }
    /// Ticks until the request sent with track() is answered; its error flag and text.
    std::pair<bool, std::string> answer(long)
    {
        pump.until([&] { return done; }, 10, "the answer");
        return done ? result : std::make_pair(true, std::string("unanswered"));
    }

    kavri3D::zrk::ZRKServerConfig config;
    bool done = false;                   ///< the request sent with track() is answered
    std::pair<bool, std::string> result; ///< and how
    std::unique_ptr<kavri3D::zrk::ZRKSession> session;
    kavri3D::zrk::ZRKGameServer* server = nullptr;
    /// A frame of the game: the server answers, replies reach their completions.
    FramePump pump{[this] {
        session->update(0);
        return true;
    }};
};

} // namespace zrktest
