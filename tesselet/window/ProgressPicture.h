#pragma once

#include <QWidget>

namespace tesselet {

// The batch's progress box: cleared at the start of a batch, then a bar from
// the left edge to a given x over the whole height, in the system highlight
// colour. Each bar is drawn over the last, so the widest one shows.
class ProgressPicture : public QWidget {
  Q_OBJECT

 public:
  ProgressPicture();

  void Clear();
  void DrawBar(int right);
  // The right edge of the widest bar drawn since the last clear (0 for none).
  int BarRight() const { return barRight_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int barRight_ = 0;
};

}  // namespace tesselet
