#pragma once
#include <cstdint>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

namespace yake {
namespace logging {

/// One recorded line, kept for tests that want to read what was logged.
struct LogRecord {
    unsigned severity;
    std::string channel;
    std::string text;
};

/// The process-wide logger. Severities follow syslog numbering: lower is more severe;
/// each severity can be switched off on its own. Lines go to an optional log file and,
/// for severity 3 and below, to stderr.
class logger {
public:
    static logger& instance();

    void log(unsigned severity, const std::string& channel, const std::string& text);
    void enableSeverity(unsigned severity, bool enabled);
    bool isSeverityEnabled(unsigned severity) const;
    void enableAllSeverities();

    /// Opens (appending) the log file; an empty path closes it.
    bool setLogFile(const std::string& path);
    const std::string& logFile() const { return mFilePath; }
    void setEchoToStderr(bool echo) { mEcho = echo; }

    // Test surface: every enabled line is also captured while capture is on.
    void startCapture();
    void stopCapture();
    std::vector<LogRecord> captured() const;
    std::size_t countCaptured(const std::string& channel, const std::string& text) const;

private:
    logger();
    static constexpr unsigned kMaxSeverity = 32;
    bool mEnabled[kMaxSeverity];
    std::ofstream mFile;
    std::string mFilePath;
    bool mEcho = true;
    bool mCapturing = false;
    std::vector<LogRecord> mCaptured;
    mutable std::mutex mMutex;
};

} // namespace logging
} // namespace yake
