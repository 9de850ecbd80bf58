#include "common/UnloadAllForms.h"

namespace common {

void UnloadAllForms(FormsCollection& forms) {
  // A window's unload handler may itself unload others, so each position is
  // checked against the collection as it is now.
  for (std::size_t i = forms.count(); i-- > 0;) {
    if (i < forms.count()) forms.at(i)->unload();
  }
}

}  // namespace common
