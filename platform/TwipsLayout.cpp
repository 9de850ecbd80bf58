#include "platform/TwipsLayout.h"

#include <cmath>

namespace platform {

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
  return font;
}

}  // namespace platform
