#pragma once

#include <string>

namespace tesselet {

// The thumbnail maker's one argument: everything after the program's name,
// joined by single blanks, never split and with any quotes kept.
std::string CommandLineArgument(int argc, char** argv);

// The whole program. Without a display, or with one named that cannot be
// reached, it runs off screen with its messages on standard error, so it
// never waits for a click that cannot come.
int RunThumbnailMaker(int argc, char** argv);

}  // namespace tesselet
