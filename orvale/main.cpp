#include <iostream>
#include <string>
#include <vector>

#include "CommandLineBuild.h"
#include "ProgramFolder.h"
#ifdef ORVALE_HAS_WINDOW
#include "WindowStartUp.h"
#endif

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (orvale::IsCommandLineBuild(arguments))
    return orvale::RunCommandLineBuild(arguments, std::cout, std::cerr, platform::ProgramFolder());
#ifdef ORVALE_HAS_WINDOW
  return orvale::RunWindowProgram(argc, argv);
#else
  std::cerr << "orvale: this build has no window; use: orvale --build DIR (see orvale --help)\n";
  return 2;
#endif
}
