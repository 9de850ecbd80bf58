#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
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

// The ink of a text set in its room as its control sets it, in the
// control's font and alignment, drawn with space all round: what falls
// outside the control is what the control cuts off.
inline QRect InkOutside(const QWidget& control, const QString& text, QRect room, int flags) {
  constexpr int kMargin = 40;
  QImage canvas(room.width() + 2 * kMargin, room.height() + 2 * kMargin, QImage::Format_RGB32);
  canvas.fill(Qt::white);
  {
    QPainter painter(&canvas);
    painter.setFont(control.font());
    painter.setPen(Qt::black);
    painter.drawText(QRect(kMargin, kMargin, room.width(), room.height()), flags | Qt::TextDontClip,
                     text);
  }
  const QRect inside = control.rect().translated(kMargin - room.left(), kMargin - room.top());
  QRect outside;
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      if (!inside.contains(x, y) && canvas.pixel(x, y) != qRgb(255, 255, 255))
        outside |= QRect(x - inside.left(), y - inside.top(), 1, 1);
    }
  }
  return outside;
}

// How a button's style sets its caption: centred on a push button, from the
// left and centred in height beside an indicator.
inline int ButtonTextFlags(const QAbstractButton& button) {
  const int alignment = qobject_cast<const QPushButton*>(&button)
                            ? Qt::AlignCenter
                            : int(Qt::AlignLeft | Qt::AlignVCenter);
  return alignment | Qt::TextShowMnemonic;
}

// One line per caption that does not fit: the control, its text, the room
// it has and the ink that falls outside it. A caption fits when it is no
// wider than its room by the font's measure, and no stroke of its letters
// (descenders included) is cut off.
inline std::vector<std::string> ClippedCaptions(const QWidget& window) {
  std::vector<std::string> clipped;
  const auto check = [&](const QWidget& control, const QString& text, QRect room, int flags) {
    if (text.isEmpty()) return;
    const QFontMetrics metrics(control.font());
    const QRect lines = metrics.boundingRect(QRect(0, 0, room.width(), 1 << 20),
                                             flags & ~Qt::AlignVertical_Mask, Drawn(text));
    const QRect ink = InkOutside(control, text, room, flags);
    if (lines.width() <= room.width() && ink.isNull()) return;
    const auto span = [](int from, int to) {
      return std::to_string(from) + ".." + std::to_string(to);
    };
    clipped.push_back(control.objectName().toStdString() + " \"" + text.toStdString() + "\": " +
                      std::to_string(lines.width()) + " wide in " + std::to_string(room.width()) +
                      (ink.isNull() ? std::string()
                                    : ", ink at x " + span(ink.left(), ink.right()) + ", y " +
                                          span(ink.top(), ink.bottom()) + " of " +
                                          std::to_string(control.height()) + " rows"));
  };
  for (const QLabel* label : window.findChildren<QLabel*>()) {
    check(*label, label->text(), label->contentsRect(),
          int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0));
  }
  for (const QAbstractButton* button : window.findChildren<QAbstractButton*>())
    check(*button, button->text(), ButtonTextRoom(*button), ButtonTextFlags(*button));
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
          QRect(title.left(), title.top(), frame->width() - title.left(), title.height()),
          int(Qt::AlignLeft | Qt::AlignVCenter));
  }
  return clipped;
}

}  // namespace caption_fit
