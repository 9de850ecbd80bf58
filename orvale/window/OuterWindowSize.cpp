#include "orvale/window/OuterWindowSize.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace orvale {

OuterWindowSize::OuterWindowSize(QWidget& window) : QObject(&window), window_(window) {
  window_.installEventFilter(this);
}

void OuterWindowSize::apply(QSize outer) {
  outer_ = outer;
  resizeForFrame(currentFrame());
}

QMargins OuterWindowSize::currentFrame() const {
  const QWindow* handle = window_.windowHandle();
  if (!handle || !window_.isVisible()) return frameUsed_;
  return handle->frameMargins();
}

void OuterWindowSize::resizeForFrame(QMargins frame) {
  frameUsed_ = frame;
  requested_ = outer_.shrunkBy(frame);
  window_.resize(requested_);
}

bool OuterWindowSize::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &window_ && outer_.isValid()) {
    switch (event->type()) {
      case QEvent::Show:
      case QEvent::Move:
      case QEvent::Resize:
      case QEvent::WindowStateChange: {
        const bool plain = !(window_.windowState() &
                             (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
        const QMargins frame = currentFrame();
        if (plain && window_.size() == requested_ && frame != frameUsed_) resizeForFrame(frame);
        break;
      }
      default:
        break;
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace orvale
