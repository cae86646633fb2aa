#pragma once
// What the game-data tests share: a captured log, and a session ticked frame by frame on a
// clock the test moves.
#include <algorithm>
#include <string>
#include <vector>
#include <yake/Logger.h>
#include <yake/Time.h>

namespace datatest {

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
        return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [&](const yake::logging::LogRecord& r) {
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

} // namespace datatest
