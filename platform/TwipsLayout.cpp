#include "platform/TwipsLayout.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <cmath>

namespace platform {

namespace {

// Lower-case text, as captions mostly are, and how wide it sets in ems in
// Arial's metrics (shared by Liberation Sans and Nimbus Sans): no wider than
// the faces the layouts were drawn for.
const char kSample[] = "the quick brown fox jumps over the lazy dog";
constexpr qreal kSampleEms = 19.45;
// Hinting at small sizes moves a face's width by a little either way.
constexpr qreal kTolerance = 1.02;

// How much wider than the layouts allow the face sets its text: 1 or less
// when it fits.
qreal Overwidth(const QFont& font) {
  const qreal allowed = kSampleEms * QFontInfo(font).pixelSize();
  return QFontMetricsF(font).horizontalAdvance(QString::fromLatin1(kSample)) / allowed;
}

}  // namespace

int Pixels(int twips) { return int(std::lround(twips / 15.0)); }

void Place(QWidget& control, QWidget& container, const char* name, int left, int top, int width,
           int height) {
  control.setParent(&container);
  control.setObjectName(QString::fromLatin1(name));
  control.setGeometry(Pixels(left), Pixels(top), Pixels(width), Pixels(height));
}

QFont DialogFont(QFont font, const QString& face, qreal points) {
  QStringList families{face};
  for (const char* standIn : {"Microsoft Sans Serif", "Arial", "Liberation Sans", "Nimbus Sans"}) {
    if (face != QLatin1String(standIn)) families << QString::fromLatin1(standIn);
  }
  families << font.family();
  font.setFamilies(families);
  font.setPointSizeF(points);
  // Where only a wider face is installed (DejaVu Sans sets text a seventh
  // wider), it is narrowed to fit, or captions would run out of their
  // controls. A condensed face may stand in for the narrowed one, with its
  // own width: a few passes settle it.
  for (int pass = 0; pass < 3; ++pass) {
    const qreal overwidth = Overwidth(font);
    if (overwidth <= kTolerance) break;
    font.setStretch(std::max(1, int(std::floor(font.stretch() / overwidth))));
  }
  return font;
}

}  // namespace platform
