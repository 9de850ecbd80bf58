#pragma once

namespace platform {

// Whether the Qt platform the environment asks for draws through a display
// server (xcb, wayland, or none named, which picks one of those): such a
// platform cannot start unless DISPLAY or WAYLAND_DISPLAY names a display.
bool NeedsDisplayServer();

// Whether a window can be made at all: a display is named, or the platform
// needs none (offscreen, vnc, linuxfb and the like).
bool HasDisplay();

// Whether a person can see the windows and answer the messages: as above,
// except that offscreen and minimal draw where nobody looks.
bool ShowsWindows();

}  // namespace platform
