#include "yake/Logger.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <iostream>

namespace yake {
namespace logging {

logger& logger::instance()
{
    static logger theLogger;
    return theLogger;
}

logger::logger()
{
    std::fill(std::begin(mEnabled), std::end(mEnabled), true);
}

void logger::log(unsigned severity, const std::string& channel, const std::string& text)
{
    std::lock_guard<std::mutex> lock(mMutex);
    if (severity < kMaxSeverity && !mEnabled[severity])
        return;
    if (mCapturing)
        mCaptured.push_back(LogRecord{severity, channel, text});
    if (mFile.is_open()) {
        std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%H:%M:%S", std::localtime(&now));
        mFile << stamp << " [" << severity << "] " << channel << ": " << text << '\n';
        mFile.flush();
    }
    if (mEcho && severity <= 3)
        std::cerr << "[" << severity << "] " << channel << ": " << text << std::endl;
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

bool logger::setLogFile(const std::string& path)
{
    std::lock_guard<std::mutex> lock(mMutex);
    if (mFile.is_open())
        mFile.close();
    mFilePath = path;
    if (path.empty())
        return true;
    mFile.open(path, std::ios::out | std::ios::app);
    return mFile.is_open();
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
    return std::count_if(mCaptured.begin(), mCaptured.end(), [&](const LogRecord& r) {
        return r.channel == channel && (text.empty() || r.text == text);
    });
}

} // namespace logging
} // namespace yake
