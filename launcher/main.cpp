// The launcher: loads the game module from its own folder, hands it the command line and
// exits with what the game returns.
#include <cstdint>
#include <clocale>
#include <cstdio>
#include <dlfcn.h>
#include <limits.h>
#include <string>
#include <unistd.h>
#include <win32/Windows.h>

namespace {

typedef int (*GameEntryFn)(std::uint32_t, void*, const wchar_t*);

std::string programFolder()
{
    char path[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return ".";
    std::string p(path, static_cast<std::size_t>(n));
    return p.substr(0, p.rfind('/'));
}

// The command line as one wide string, every argument quoted by the rule the module splits by:
// an argument holding quotes, blanks or backslashes, or none at all, arrives as it was given.
std::wstring commandLine(int argc, char** argv)
{
    std::wstring out;
    for (int i = 0; i < argc; ++i) {
        // Decoded by hand, whatever the locale says: the C locale would turn every non-ASCII
        // letter into garbage.
        if (i > 0)
            out += L' ';
        out += win32QuoteArgument(win32WideFromUtf8(argv[i]));
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_CTYPE, "");
    const std::string module = programFolder() + "/libZRK_Main.so";
    void* handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::fprintf(stderr, "cannot load %s: %s\n", module.c_str(), ::dlerror());
        return 1;
    }
    auto entry = reinterpret_cast<GameEntryFn>(::dlsym(handle, "GameEntry"));
    if (!entry) {
        std::fprintf(stderr, "%s has no GameEntry\n", module.c_str());
        ::dlclose(handle);
        return 1;
    }
    int code = entry(0, nullptr, commandLine(argc, argv).c_str());
    ::dlclose(handle);
    return code;
}
