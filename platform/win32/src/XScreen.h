#pragma once

namespace win32detail {

/// The X screen the game window would open on: the root window's size and the work area a
/// window manager publishes (_NET_WORKAREA of the current desktop), else the whole root.
struct XScreen {
    int width = 0;
    int height = 0;
    int workLeft = 0, workTop = 0, workRight = 0, workBottom = 0;
};

/// Asks the X server named by DISPLAY; false without a display or a connection.
bool readXScreen(XScreen& out);
/// Starts the first reading on a thread of its own; the first question waits for it.
void prefetchXScreen();
/// The client size of another program's X window (the launcher's, to hold the game); false
/// when there is no such window or no display.
bool readXWindowSize(unsigned long window, int& width, int& height);
/// The game window stands (or will not): the connection kept for the start-up goes, and later
/// questions each open and close their own.
void releaseXScreen();

} // namespace win32detail
