#include "common/FormsCollection.h"

#include <algorithm>

namespace common {

void FormsCollection::add(LoadedForm* form) {
  if (std::find(forms_.begin(), forms_.end(), form) == forms_.end()) forms_.push_back(form);
}

void FormsCollection::remove(LoadedForm* form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
}

FormsCollection& FormsCollection::program() {
  static FormsCollection forms;
  return forms;
}

}  // namespace common
