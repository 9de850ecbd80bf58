#pragma once

#include <QFont>
#include <QGroupBox>
#include <QString>
#include <QWidget>
#include <type_traits>

namespace platform {

// The windows' fixed layouts are measured in twips: 15 to a pixel at 96
// dots per inch.
int Pixels(int twips);

// Makes a control the child of its container under its object name, at a
// place and size given in twips.
void Place(QWidget& control, QWidget& container, const char* name, int left, int top, int width,
           int height);

// The same, and gives the control its caption (a frame's is its title).
template <typename Control>
void Place(Control& control, QWidget& container, const char* name, int left, int top, int width,
           int height, const QString& caption) {
  Place(static_cast<QWidget&>(control), container, name, left, top, width, height);
  if constexpr (std::is_base_of_v<QGroupBox, Control>)
    control.setTitle(caption);
  else
    control.setText(caption);
}

// The font a fixed layout was drawn for: the face at the given size. The
// desktop's usual 9 or 10 points in a wider face would not fit the labels and
// buttons, so faces with close metrics stand in where that one is missing.
QFont DialogFont(QFont font, const QString& face, qreal points);

}  // namespace platform
