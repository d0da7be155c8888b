// SPDX-License-Identifier: MIT
#pragma once
#include <QPixmap>
#include <QProgressBar>
#include <QStyle>

#include "display/TProgressBar.h"
#include "ui/qt/FramePacedPainting.h"

class QStyleOptionProgressBar;

// TProgressBar on a QProgressBar. Step lives here: QProgressBar has none of its own.
class QtProgressBar : public QProgressBar, public TProgressBar, public FramePaintedWidget {
  Q_OBJECT
 public:
  explicit QtProgressBar(QWidget* parent = nullptr);

  int Min() const override { return minimum(); }
  int Max() const override { return maximum(); }
  void SetMax(int max) override;
  int Step() const override { return step_; }
  int Position() const override { return position_; }
  void StepIt() override;
  void PaintFrame(QPainter& painter) override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // What the empty groove's pixels depend on.
  struct GrooveLook {
    QSize size;
    qint64 palette = 0;
    QStyle::State state;
    const QStyle* style = nullptr;
    qreal pixelRatio = 0;
    bool operator==(const GrooveLook&) const = default;
  };
  const QPixmap& Groove(const QStyleOptionProgressBar& option, QSize size);

  // The position the read has reached; the QProgressBar gets it once the window is at rest.
  void ShowPosition(int position);

  int step_ = 1;
  int position_;
  QPixmap groove_;
  GrooveLook grooveLook_;
};
