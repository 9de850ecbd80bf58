#include <iostream>
#include <string>
#include <vector>

#include "orvale/builder/CommandLineBuild.h"
#include "orvale/window/WindowStartUp.h"
#include "platform/ProgramFolder.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (orvale::IsCommandLineBuild(arguments))
    return orvale::RunCommandLineBuild(arguments, std::cout, std::cerr, platform::ProgramFolder());
  return orvale::RunWindowProgram(argc, argv);
}
