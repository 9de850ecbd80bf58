#include <iostream>
#include <string>
#include <variant>
#include <vector>

#include "orvale/builder/CommandLine.h"
#include "orvale/builder/CommandLineBuild.h"
#include "orvale/window/WindowStartUp.h"
#include "platform/ProgramFolder.h"

namespace {

template <typename... Handlers>
struct Overloaded : Handlers... {
  using Handlers::operator()...;
};
template <typename... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

}  // namespace

int main(int argc, char** argv) {
  const orvale::CommandLine command =
      orvale::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  return std::visit(Overloaded{
                        [](const orvale::ShowHelp&) {
                          std::cout << orvale::UsageText();
                          return 0;
                        },
                        [](const orvale::ShowVersion&) {
                          std::cout << orvale::VersionText();
                          return 0;
                        },
                        [](const orvale::BadUsage& usage) {
                          // Said before any window opens, so a script sees it at once.
                          std::cerr << "orvale: " << usage.problem << "\n\n" << orvale::UsageText();
                          return 2;
                        },
                        [](const orvale::HeadlessBuild& build) {
                          return orvale::RunCommandLineBuild(build, std::cout, std::cerr,
                                                             platform::ProgramFolder());
                        },
                        [&](const orvale::WindowStart& start) {
                          return orvale::RunWindowProgram(argv[0], start.paths);
                        },
                    },
                    command);
}
