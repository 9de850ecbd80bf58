#pragma once

#include <cstddef>
#include <vector>

namespace common {

// A window of the program as the forms collection sees it.
class LoadedForm {
 public:
  virtual ~LoadedForm() = default;
  // Runs the window's own unload handling and closes it; the window leaves
  // the collection.
  virtual void unload() = 0;
};

// The program's loaded windows in the order they were loaded.
class FormsCollection {
 public:
  void add(LoadedForm* form);
  void remove(LoadedForm* form);
  std::size_t count() const { return forms_.size(); }
  LoadedForm* at(std::size_t index) const { return forms_.at(index); }

  // The one collection of this process.
  static FormsCollection& program();

 private:
  std::vector<LoadedForm*> forms_;
};

}  // namespace common
