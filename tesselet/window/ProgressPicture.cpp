#include "tesselet/window/ProgressPicture.h"

#include <QPainter>
#include <algorithm>

#include "imaging/pixels/SystemColour.h"

namespace tesselet {

namespace {

constexpr std::uint32_t kHighlight = imaging::pixels::SystemColour::kSystemFlag | 13;

QColor FromColourValue(std::uint32_t value) {
  const std::uint32_t plain = imaging::pixels::SystemColour::OleTranslateColor(value);
  return QColor(int(plain & 0xFF), int(plain >> 8 & 0xFF), int(plain >> 16 & 0xFF));
}

}  // namespace

ProgressPicture::ProgressPicture() { setAutoFillBackground(true); }

void ProgressPicture::Clear() {
  barRight_ = 0;
  update();
}

void ProgressPicture::DrawBar(int right) {
  barRight_ = std::max(barRight_, right);
  update();
}

void ProgressPicture::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  if (barRight_ > 0) painter.fillRect(0, 0, barRight_, height(), FromColourValue(kHighlight));
}

}  // namespace tesselet
