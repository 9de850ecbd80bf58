#include "tesselet/window/mChooseColor.h"

#include <QColorDialog>

#include "imaging/pixels/Arithmetic.h"

namespace tesselet {

namespace {
constexpr int kCustomColourCount = 16;
}

void mChooseColor::InitCustomColors() {
  CustomColors.fill(0);
  for (int k = 0; k < kCustomColourCount; ++k) {
    // 4k / 63 runs from 0 to a little under 1, so the last grey is not black.
    const auto level = std::uint8_t(imaging::pixels::RoundHalfEven(255 - (4.0 * k / 63.0) * 255));
    for (int channel = 0; channel < 3; ++channel)
      CustomColors[std::size_t(4 * k + channel)] = level;
  }
}

std::int32_t mChooseColor::ShowColorDialog(QWidget* owner) {
  for (int k = 0; k < kCustomColourCount; ++k) {
    const std::uint8_t* c = &CustomColors[std::size_t(4 * k)];
    QColorDialog::setCustomColor(k, QColor(c[0], c[1], c[2]));
  }
  QColorDialog dialog(QColor(Qt::black), owner);
  dialog.setObjectName("ColorDialog");
  // Qt's own dialog, so the custom colours are the ones set above.
  dialog.setOption(QColorDialog::DontUseNativeDialog);
  if (dialog.exec() != QDialog::Accepted) return -1;
  for (int k = 0; k < kCustomColourCount; ++k) {
    const QColor colour = QColorDialog::customColor(k);
    std::uint8_t* c = &CustomColors[std::size_t(4 * k)];
    c[0] = std::uint8_t(colour.red());
    c[1] = std::uint8_t(colour.green());
    c[2] = std::uint8_t(colour.blue());
  }
  const QColor chosen = dialog.selectedColor();
  return std::int32_t(chosen.blue()) << 16 | std::int32_t(chosen.green()) << 8 |
         std::int32_t(chosen.red());
}

}  // namespace tesselet
