#pragma once
// What the game-data tests share: a captured log, and a session ticked frame by frame on a
// clock the test moves.
#include <algorithm>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <yake/Logger.h>
#include <server/ZRKServerCore.h>
#include <yake/Time.h>

namespace datatest {

/// The server's answer to one request of the connection (the last message out), answered at once.
inline kavri3D::zrk::ZRKMessage ask(kavri3D::zrk::ZRKServerCore& core, long connection, long handle,
                                    const std::string& op, const Json::Value& args)
{
    kavri3D::zrk::ZRKRequestInfo r;
    r.handle = handle;
    r.op = op;
    r.args = args;
    core.handle(connection, kavri3D::zrk::ZRKMessage::request(r));
    std::vector<kavri3D::zrk::ZRKMessage> out;
    core.take(connection, out);
    return out.empty() ? kavri3D::zrk::ZRKMessage() : out.back();
}

/// Captures the log for the scope; lines are read before it ends (ending clears them).
class LogCapture {
public:
    LogCapture() { yake::logging::logger::instance().startCapture(); }
    ~LogCapture() { yake::logging::logger::instance().stopCapture(); }
    std::size_t count(const std::string& channel, const std::string& text) const
    {
        return yake::logging::logger::instance().countCaptured(channel, text);
    }
    /// Lines of the channel holding the text.
    std::size_t containing(const std::string& channel, const std::string& part) const
    {
        const std::vector<yake::logging::LogRecord> lines = yake::logging::logger::instance().captured();
        return static_cast<std::size_t>(
            std::count_if(lines.begin(), lines.end(), [&](const yake::logging::LogRecord& r) {
                return r.channel == channel && r.text.find(part) != std::string::npos;
            }));
    }
    /// Whether any line, of any channel, holds the text.
    bool anyHolds(const std::string& part) const
    {
        for (const auto& r : yake::logging::logger::instance().captured())
            if (r.text.find(part) != std::string::npos)
                return true;
        return false;
    }
};

/// The clock in the test's hand for the scope.
class ManualClock {
public:
    explicit ManualClock(double start = 10.0)
    {
        yake::native::setManualClock(true);
        yake::native::setTime(start);
    }
    ~ManualClock() { yake::native::setManualClock(false); }
    void advance(double seconds) { yake::native::advanceTime(seconds); }
};

/// Runs `serve` in a child process, which tells each change it answered by its number through
/// the function it is given, and kills the child once `atLeast` are answered. Returns the last
/// number the child answered before it died (what was still in the pipe counts too); -1, with a
/// failure, when it stopped on its own.
inline long answeredBeforeKill(const std::function<void(const std::function<void(long)>& answered)>& serve,
                               long atLeast)
{
    int fds[2];
    if (pipe(fds) != 0) {
        ADD_FAILURE() << "no pipe";
        return -1;
    }
    const pid_t child = fork();
    if (child < 0) {
        ADD_FAILURE() << "no child";
        return -1;
    }
    if (child == 0) {
        close(fds[0]);
        // Told only once answered, as the player would be.
        serve([fd = fds[1]](long n) {
            if (write(fd, &n, sizeof n) != static_cast<ssize_t>(sizeof n))
                _exit(4);
        });
        _exit(5);
    }
    close(fds[1]);
    long answered = 0, n = 0;
    while (answered < atLeast && read(fds[0], &n, sizeof n) == static_cast<ssize_t>(sizeof n))
        answered = n;
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    // What the child answered before it died may still sit in the pipe: read it all, so the
    // count is the last answer given, not the last one this side happened to read.
    while (read(fds[0], &n, sizeof n) == static_cast<ssize_t>(sizeof n))
        answered = n;
    close(fds[0]);
    if (!WIFSIGNALED(status)) {
        ADD_FAILURE() << "the server stopped on its own with " << WEXITSTATUS(status);
        return -1;
    }
    return answered;
}

} // namespace datatest
