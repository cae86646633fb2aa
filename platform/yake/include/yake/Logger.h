#pragma once
#include <cstdint>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace yake {
namespace logging {

/// How grave a line is (syslog numbering: lower is graver); the settings switch off the
/// severities above a level.
enum class Severity : unsigned {
    Error = 3,   ///< something failed: the operation ends
    Warning = 4, ///< a fall-back was taken
    Notice = 5,  ///< worth knowing, not a fault
    Trace = 6,   ///< what the game did, for reading a run back
    Debug = 7,   ///< detail for a developer
};

/// One recorded line, kept for tests that want to read what was logged.
struct LogRecord {
    unsigned severity;
    std::string channel;
    std::string text;
};

/// The process-wide logger. Severities follow syslog numbering: lower is more severe;
/// each severity can be switched off on its own. Lines go to an optional log file and,
/// for severity 3 and below, to stderr; a control character in a channel or text is written
/// escaped ("\n", "\x1b"), so every line written is one line. The file is kept in bounds: a
/// file over 8 MB at the start of a run moves to "<file>.old" (replacing the last one), and
/// once a run has written 64 MB, trace lines (severity 6 and above) stop, with one line saying
/// so. The file is the player's alone (0600, never opened through a link), and a word the game
/// hides (the file server's secret) is written as "*". Safe from any thread.
class logger {
public:
    static logger& instance();

    void log(Severity severity, const std::string& channel, const std::string& text);
    void enableSeverity(unsigned severity, bool enabled);
    bool isSeverityEnabled(unsigned severity) const;
    void enableAllSeverities();

    /// Opens (appending) the log file; an empty path closes it. At the start of a run a file
    /// over 8 MB first moves to "<file>.old"; `startOfRun` false appends to it as it is (a
    /// second start that only reports why it ends, while the first one writes there).
    bool setLogFile(const std::string& path, bool startOfRun = true);
    const std::string& logFile() const { return mFilePath; }
    void setEchoToStderr(bool echo) { mEcho = echo; }
    /// From now on `word` is written as "*" wherever it stands in a line (captured ones too);
    /// `reveal` ends that. Words shorter than 8 characters are not hidden: they would blot out
    /// ordinary text.
    void hide(const std::string& word);
    void reveal(const std::string& word);

    // Test surface: every enabled line is also captured while capture is on.
    void startCapture();
    void stopCapture();
    std::vector<LogRecord> captured() const;
    std::size_t countCaptured(const std::string& channel, const std::string& text) const;

    static constexpr std::uint64_t kMostAtStart = 8ull << 20;
    static constexpr std::uint64_t kMostPerRun = 64ull << 20;
    static constexpr unsigned kTraceSeverity = 6;

    /// "<stamp> [<severity>] <channel>: <text>\n", control characters escaped; no stamp when null.
    static std::string formatLine(const char* stamp, unsigned severity, const std::string& channel,
                                  const std::string& text);

private:
    logger();
    void writeLine(const std::string& line);
    std::string hidden(const std::string& text) const;
    static constexpr unsigned kMaxSeverity = 32;
    bool mEnabled[kMaxSeverity];
    int mFile = -1;
    std::vector<std::string> mHidden;
    std::string mFilePath;
    bool mEcho = true;
    std::uint64_t mWritten = 0; ///< bytes this run has written to the file
    bool mTraceStopped = false;
    bool mCapturing = false;
    std::vector<LogRecord> mCaptured;
    mutable std::mutex mMutex;
};

/// The one way a library writes a line: a channel named once per writer,
///   const yake::logging::Channel logLine("audio");
///   logLine(Severity::Warning, "sound ", name, " cannot be played: ", why);
/// the text built from anything streamable.
class Channel {
public:
    explicit constexpr Channel(const char* name) : mName(name) {}

    void operator()(Severity severity, const std::string& text) const;
    template <class... Parts> void operator()(Severity severity, const Parts&... parts) const
    {
        std::ostringstream os;
        (os << ... << parts);
        (*this)(severity, os.str());
    }
    const char* name() const { return mName; }

private:
    const char* mName;
};

} // namespace logging
} // namespace yake
