#pragma once

#include <QMargins>
#include <QObject>
#include <QSize>

class QWidget;

namespace orvale {

// Gives a top-level window an outer size: the frame the window manager draws
// plus the client area. The frame is only known once the window manager has
// framed the window, which happens after the first show; until then the
// client area takes the whole size, and it is corrected as soon as the frame
// appears, as long as the window still has the size asked for (a size the
// user has dragged to is left alone).
class OuterWindowSize : public QObject {
  Q_OBJECT

 public:
  explicit OuterWindowSize(QWidget& window);

  void apply(QSize outer);
  QSize outer() const { return outer_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QMargins currentFrame() const;
  void resizeForFrame(QMargins frame);

  QWidget& window_;
  QSize outer_;
  QSize requested_;
  QMargins frameUsed_;
};

}  // namespace orvale
