#include "yake/Logger.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

#include "yake/PlayerFiles.h"

namespace yake {
namespace logging {

namespace {

/// A log line is one line: a control character in what it reports (a player's text, a reply
/// from elsewhere) is written as an escape, never as the break that would forge a line.
void appendEscaped(std::string& out, const std::string& text)
{
    static const char hex[] = "0123456789abcdef";
    for (unsigned char c : text) {
        if (c >= 0x20 && c != 0x7f) {
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
}

} // namespace

std::string logger::formatLine(const char* stamp, unsigned severity, const std::string& channel,
                               const std::string& text)
{
    std::string line;
    line.reserve(channel.size() + text.size() + 24);
    if (stamp) {
        line += stamp;
        line += ' ';
    }
    line += '[';
    line += std::to_string(severity);
    line += "] ";
    appendEscaped(line, channel);
    line += ": ";
    appendEscaped(line, text);
    line += '\n';
    return line;
}

logger& logger::instance()
{
    static logger theLogger;
    return theLogger;
}

logger::logger() { std::fill(std::begin(mEnabled), std::end(mEnabled), true); }

std::string logger::hidden(const std::string& text) const
{
    std::string out = text;
    for (const std::string& word : mHidden)
        for (std::string::size_type at = out.find(word); at != std::string::npos; at = out.find(word, at + 1))
            out.replace(at, word.size(), "*");
    return out;
}

void logger::hide(const std::string& word)
{
    std::lock_guard<std::mutex> lock(mMutex);
    if (word.size() >= 8 && std::find(mHidden.begin(), mHidden.end(), word) == mHidden.end())
        mHidden.push_back(word);
}

void logger::reveal(const std::string& word)
{
    std::lock_guard<std::mutex> lock(mMutex);
    mHidden.erase(std::remove(mHidden.begin(), mHidden.end(), word), mHidden.end());
}

void logger::log(Severity grade, const std::string& rawChannel, const std::string& rawText)
{
    const unsigned severity = static_cast<unsigned>(grade);
    std::lock_guard<std::mutex> lock(mMutex);
    if (severity < kMaxSeverity && !mEnabled[severity])
        return;
    const std::string channel = mHidden.empty() ? rawChannel : hidden(rawChannel);
    const std::string text = mHidden.empty() ? rawText : hidden(rawText);
    if (mCapturing)
        mCaptured.push_back(LogRecord{severity, channel, text});
    if (mFile >= 0) {
        if (severity >= kTraceSeverity && mWritten >= kMostPerRun) {
            if (!mTraceStopped) {
                mTraceStopped = true;
                writeLine(formatLine(nullptr, static_cast<unsigned>(Severity::Warning), "log",
                                     "the log passed " + std::to_string(kMostPerRun >> 20) +
                                         " MB in this run: trace lines stop here"));
            }
        } else {
            // localtime_r: other threads log too, and localtime's one buffer is shared.
            const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
            std::tm local{};
            char stamp[32] = "--:--:--";
            if (::localtime_r(&now, &local))
                std::strftime(stamp, sizeof stamp, "%H:%M:%S", &local);
            writeLine(formatLine(stamp, severity, channel, text));
        }
    }
    if (mEcho && grade <= Severity::Error)
        std::cerr << formatLine(nullptr, severity, channel, text) << std::flush;
}

void logger::writeLine(const std::string& line)
{
    PlayerFiles::writeAll(mFile, line); // a full disk loses the line, never the game
    mWritten += line.size();
}

void logger::enableSeverity(unsigned severity, bool enabled)
{
    std::lock_guard<std::mutex> lock(mMutex);
    if (severity < kMaxSeverity)
        mEnabled[severity] = enabled;
}

bool logger::isSeverityEnabled(unsigned severity) const
{
    std::lock_guard<std::mutex> lock(mMutex);
    return severity >= kMaxSeverity || mEnabled[severity];
}

void logger::enableAllSeverities()
{
    std::lock_guard<std::mutex> lock(mMutex);
    std::fill(std::begin(mEnabled), std::end(mEnabled), true);
}

bool logger::setLogFile(const std::string& path, bool startOfRun)
{
    std::lock_guard<std::mutex> lock(mMutex);
    if (mFile >= 0)
        ::close(mFile);
    mFile = -1;
    mFilePath = path;
    mWritten = 0;
    mTraceStopped = false;
    if (path.empty())
        return true;
    struct stat st;
    // Only the player's own long log moves aside; what else stands there goes below.
    if (startOfRun && ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && PlayerFiles::isPlayers(st) &&
        static_cast<std::uint64_t>(st.st_size) > kMostAtStart) {
        // The last runs' lines stay one step back; older ones go.
        std::error_code ec;
        std::filesystem::rename(path, path + ".old", ec);
    }
    // The player's alone: a link, a FIFO or another user's file planted at its name is removed
    // as itself and the log made afresh, never written through or into.
    mFile = PlayerFiles::openReplacing(path, O_WRONLY | O_APPEND); // errno says why not
    return mFile >= 0;
}

void logger::startCapture()
{
    std::lock_guard<std::mutex> lock(mMutex);
    mCaptured.clear();
    mCapturing = true;
}

void logger::stopCapture()
{
    std::lock_guard<std::mutex> lock(mMutex);
    mCapturing = false;
    mCaptured.clear();
}

std::vector<LogRecord> logger::captured() const
{
    std::lock_guard<std::mutex> lock(mMutex);
    return mCaptured;
}

std::size_t logger::countCaptured(const std::string& channel, const std::string& text) const
{
    std::lock_guard<std::mutex> lock(mMutex);
    return std::count_if(mCaptured.begin(), mCaptured.end(),
                         [&](const LogRecord& r) { return r.channel == channel && (text.empty() || r.text == text); });
}

void Channel::operator()(Severity severity, const std::string& text) const
{
    logger::instance().log(severity, mName, text);
}

} // namespace logging
} // namespace yake
