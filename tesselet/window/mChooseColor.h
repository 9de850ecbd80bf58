#pragma once

#include <array>
#include <cstdint>

class QWidget;

namespace tesselet {

// The colour picker with its 16 custom colours, which the user may change
// and which are offered again at every use for as long as the program runs.
class mChooseColor {
 public:
  // Four bytes a colour: red, green, blue, 0.
  std::array<std::uint8_t, 64> CustomColors{};

  // 16 greys from white to nearly black.
  void InitCustomColors();

  // The chosen colour as 0x00BBGGRR, or -1 when the user cancels. The
  // picker opens on black with the custom colours above.
  std::int32_t ShowColorDialog(QWidget* owner);
};

}  // namespace tesselet
