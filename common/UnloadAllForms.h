#pragma once

#include "common/FormsCollection.h"

namespace common {

// Unloads every loaded window, the most recently loaded first.
void UnloadAllForms(FormsCollection& forms = FormsCollection::program());

}  // namespace common
