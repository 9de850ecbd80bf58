#include "common/AskYesNo.h"

namespace common {

void AskYesNo(platform::HostServices& host, const std::string& prompt, const std::string& title,
              const std::string& /*helpFile*/, int /*helpContext*/, std::string& answer) {
  answer = host.askYesNo(prompt, title) ? "Yes" : "No";
}

}  // namespace common
