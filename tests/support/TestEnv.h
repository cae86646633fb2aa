#pragma once
#include <cstddef>
#include <json/value.h>
#include <string>

namespace zrktest {

/// A fresh temporary folder for one test, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& path() const { return mPath; }
    /// path() + "/" + name
    std::string file(const std::string& name) const { return mPath + "/" + name; }

private:
    std::string mPath;
};

void writeFile(const std::string& path, const std::string& content);
std::string readFile(const std::string& path);
/// Texts nested `levels` deep, well-formed: what a hostile or broken file may hold.
std::string nestedXml(std::size_t levels);
std::string nestedJson(std::size_t levels);
/// The text read as the game reads JSON (the one reader, its default limits); false when it is not JSON.
bool parseJson(const std::string& text, Json::Value& out);

/// The folder of the test program, where the module, the plug-ins and res/ are built.
std::string binFolder();

/// Sets an environment variable for the scope, restoring the old value afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();

private:
    std::string mName;
    bool mHad;
    std::string mOld;
};

/// A whole game's own runtime and data folders (XDG_RUNTIME_DIR, XDG_DATA_HOME) for the scope,
/// so its world, locks and saved settings never touch the machine's or another test's.
class GameHome {
public:
    GameHome() : mRuntimeEnv("XDG_RUNTIME_DIR", mRuntime.path()), mDataEnv("XDG_DATA_HOME", mData.path()) {}
    /// The data folder (XDG_DATA_HOME) the game keeps its settings and world in.
    const std::string& dataPath() const { return mData.path(); }

private:
    TempDir mRuntime, mData;
    ScopedEnv mRuntimeEnv, mDataEnv;
};

/// Sends what the process writes on standard error to a file for the scope.
class StderrCapture {
public:
    explicit StderrCapture(const std::string& file);
    ~StderrCapture();
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

private:
    int mSaved = -1;
};

} // namespace zrktest
