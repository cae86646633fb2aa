#pragma once
// The game's module loaded the way the launcher loads it (its own copy of everything, beside
// whatever the test program links), and its entry called as the launcher calls it.
#include <cstdint>
#include <dlfcn.h>
#include <string>
#include <win32/Windows.h>

#include "support/TestEnv.h"

namespace zrktest {

class GameModule {
public:
    typedef int (*Entry)(std::uint32_t, HWND, const wchar_t*);

    /// `path`: the module to load; by default the build's.
    explicit GameModule(const std::string& path = binFolder() + "/libZRK_Main.so")
    {
        mHandle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!mHandle) {
            const char* error = dlerror();
            mError = error ? error : "the module did not load: " + path;
            return;
        }
        mEntry = reinterpret_cast<Entry>(dlsym(mHandle, "GameEntry"));
        if (!mEntry)
            mError = "the module has no GameEntry: " + path;
    }
    ~GameModule()
    {
        if (mHandle)
            dlclose(mHandle);
    }
    GameModule(const GameModule&) = delete;
    GameModule& operator=(const GameModule&) = delete;

    /// Loaded with its entry; otherwise error() says why.
    bool loaded() const { return mEntry != nullptr; }
    const std::string& error() const { return mError; }
    Entry entry() const { return mEntry; }
    /// Runs the game to its end as the launcher does, in `parent` when given; its exit code.
    int run(const std::wstring& commandLine, HWND parent = nullptr) const
    {
        return mEntry(0, parent, commandLine.c_str());
    }

private:
    void* mHandle = nullptr;
    Entry mEntry = nullptr;
    std::string mError;
};

} // namespace zrktest
