#pragma once

#include <string>

#include "platform/HostServices.h"

namespace common {

// Asks a modal Yes/No question (stop icon, No as the default button, brought
// to the foreground) and puts "Yes" or "No" into answer. The help file and
// context are accepted for callers that pass them; no help button is shown.
void AskYesNo(platform::HostServices& host, const std::string& prompt, const std::string& title,
              const std::string& helpFile, int helpContext, std::string& answer);

}  // namespace common
