#pragma once
#include <cstdint>
#include <win32/Windows.h>

/// Runs the whole game. Returns 0 when the run succeeded, 1 when it failed, -1 when the
/// single-instance lock cannot be created and -2 when another instance holds it.
extern "C" __attribute__((visibility("default"))) int GameEntry(std::uint32_t reserved, HWND parent,
                                                                const wchar_t* commandLine);
