#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>
#include <algorithm>
#include <string>
#include <vector>

// Whether every caption of a window fits its control in the font and style
// the window really draws with: labels, check boxes, option buttons, buttons
// and frame titles, shown or not (settings outside a small client area still
// count).
namespace caption_fit {

// The text as drawn: "&&" is one ampersand, any other "&" only underlines.
inline QString Drawn(const QString& caption) {
  QString text;
  for (qsizetype k = 0; k < caption.size(); ++k) {
    if (caption[k] == u'&' && k + 1 < caption.size()) ++k;
    text += caption[k];
  }
  return text;
}

// The room a button's caption has: the control less the indicator and its
// spacing, or less a push button's frame.
inline QRect ButtonTextRoom(const QAbstractButton& button) {
  QStyleOptionButton option;
  option.initFrom(&button);
  option.text = button.text();
  QStyle::SubElement contents = QStyle::SE_PushButtonContents;
  if (qobject_cast<const QCheckBox*>(&button)) contents = QStyle::SE_CheckBoxContents;
  if (qobject_cast<const QRadioButton*>(&button)) contents = QStyle::SE_RadioButtonContents;
  return button.style()->subElementRect(contents, &option, &button);
}

// One line per caption that does not fit: the control, its text, and what
// it needs against what it has. A caption fits when its widest line fits the
// width and the baseline of its last line lies inside the control (a font's
// line height can exceed the row while its letters still show whole).
inline std::vector<std::string> ClippedCaptions(const QWidget& window) {
  std::vector<std::string> clipped;
  const auto check = [&](const QWidget& control, const QString& text, QRect room, int flags) {
    if (text.isEmpty()) return;
    const QFontMetrics metrics(control.font());
    const QRect lines =
        metrics.boundingRect(QRect(0, 0, room.width(), 1 << 20), flags, Drawn(text));
    const int count =
        std::max(1, (lines.height() + metrics.lineSpacing() / 2) / metrics.lineSpacing());
    const int lastBaseline = (count - 1) * metrics.lineSpacing() + metrics.ascent();
    if (lines.width() <= room.width() && lastBaseline <= room.height()) return;
    clipped.push_back(control.objectName().toStdString() + " \"" + text.toStdString() +
                      "\" needs " + std::to_string(lines.width()) + " x " +
                      std::to_string(lastBaseline) + ", has " + std::to_string(room.width()) +
                      " x " + std::to_string(room.height()));
  };
  for (const QLabel* label : window.findChildren<QLabel*>())
    check(*label, label->text(), label->contentsRect(), label->wordWrap() ? Qt::TextWordWrap : 0);
  for (const QAbstractButton* button : window.findChildren<QAbstractButton*>())
    check(*button, button->text(), ButtonTextRoom(*button), 0);
  for (const QGroupBox* frame : window.findChildren<QGroupBox*>()) {
    QStyleOptionGroupBox option;
    option.initFrom(frame);
    option.text = frame->title();
    option.subControls = QStyle::SC_GroupBoxLabel;
    // The style sizes the title's own rectangle to the text: what counts is
    // the frame's width from where the title starts.
    const QRect title = frame->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                       QStyle::SC_GroupBoxLabel, frame);
    check(*frame, frame->title(),
          QRect(title.left(), title.top(), frame->width() - title.left(), title.height()), 0);
  }
  return clipped;
}

}  // namespace caption_fit
