#pragma once

#include <string>
#include <string_view>

namespace platform {

// Whether the Qt platform the environment asks for draws through a display
// server (xcb, wayland, or none named, which picks one of those): such a
// platform cannot start unless DISPLAY or WAYLAND_DISPLAY names a display.
bool NeedsDisplayServer();

// Whether a window can be made at all: a display is named, or the platform
// needs none (offscreen, vnc, linuxfb and the like).
bool HasDisplay();

// The platforms for Qt to try in order (its -platform argument): the one
// the environment asks for, or else the display servers it names, and then
// offscreen, so that a display that is named but cannot be reached (nothing
// listening there, a stale socket) runs off screen instead of aborting.
// Only offscreen when no display is named; empty when the platform asked
// for needs no display server.
std::string PlatformsToTry();

// The displays the environment names, as "DISPLAY=:0" and the like.
std::string NamedDisplays();

// Whether a person can see the windows of the platform Qt started on:
// offscreen and minimal draw where nobody looks.
bool ShowsWindows(std::string_view startedPlatform);

}  // namespace platform
