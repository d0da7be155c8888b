#include "ui/qt/QtStatusBar.h"

#include <QEvent>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <optional>

#include "ui/qt/FramePacedPainting.h"

// A text panel that paints itself: a QLabel asks its parent layout to recompute on every new
// text, and repainting it also repaints the status bar behind it.
//
// It is repainted with every display frame of a read, so the text is drawn from the font's
// glyphs directly: shaping and eliding a text through QPainter::drawText costs more than the
// rest of the paint together. Texts with a character the font lacks, or too wide for the panel,
// take the full way (font fallback, eliding).
class StatusPanel : public QWidget {
 public:
  explicit StatusPanel(QWidget* parent) : QWidget(parent) {
    setObjectName("StatusPanel");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  }

  void SetText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    update();
    if (!isVisible()) TellAssistiveTechnology();
  }
  const QString& Text() const { return text_; }

 protected:
  void changeEvent(QEvent* event) override {
    if (event->type() == QEvent::FontChange) rawFont_ = QRawFont();
    QWidget::changeEvent(event);
  }

  void paintEvent(QPaintEvent*) override {
    TellAssistiveTechnology();
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.setPen(palette().windowText().color());
    const QRect textArea = rect().adjusted(2, 0, -2, 0);
    const QFontMetrics metrics = fontMetrics();
    const QPoint origin(textArea.left(),
                        textArea.top() + (textArea.height() - metrics.height()) / 2 + metrics.ascent());
    painter.setClipRect(textArea);
    if (const auto run = GlyphRunWithin(textArea.width())) {
      painter.drawGlyphRun(origin, *run);
    } else {
      painter.drawText(origin, metrics.elidedText(text_, Qt::ElideRight, textArea.width()));
    }
  }

 private:
  // The panel's accessible name is the text it shows, given with each paint: during a read at the
  // display's pace, not 2,048 times. A new name is announced (a name change event), so a screen
  // reader hears "File Saved" or "ERROR" when the save ends.
  void TellAssistiveTechnology() {
    if (accessibleName() != text_) setAccessibleName(text_);
  }

  std::optional<QGlyphRun> GlyphRunWithin(int width) {
    if (!rawFont_.isValid()) rawFont_ = QRawFont::fromFont(font());
    const QList<quint32> glyphs = rawFont_.glyphIndexesForString(text_);
    if (glyphs.size() != text_.size() || glyphs.contains(0)) return std::nullopt;
    const QList<QPointF> advances = rawFont_.advancesForGlyphIndexes(glyphs);
    QList<QPointF> positions;
    positions.reserve(glyphs.size());
    QPointF pen;
    for (const QPointF& advance : advances) {
      positions.append(pen);
      pen += advance;
    }
    if (pen.x() > width) return std::nullopt;
    QGlyphRun run;
    run.setRawFont(rawFont_);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    return run;
  }

  QString text_;
  QRawFont rawFont_;
};

QtStatusBar::QtStatusBar(QWidget* parent) : QStatusBar(parent), panel_(new StatusPanel(this)) {
  setSizeGripEnabled(false);
  addWidget(panel_, 1);
}

void QtStatusBar::SetPanelText(const std::string& text) { panel_->SetText(QString::fromStdString(text)); }

std::string QtStatusBar::PanelText() const { return panel_->Text().toStdString(); }

void QtStatusBar::Refresh() { PaintByNextFrame(*panel_); }
