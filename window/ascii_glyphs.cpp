#include "window/ascii_glyphs.h"

#include <QPaintDevice>
#include <QPainter>
#include <QString>
#include <QTextLayout>

namespace geodata {

bool AsciiGlyphs::Draw(QPainter& painter, QPointF origin, std::string_view line) {
  const int dpi = painter.device()->logicalDpiY();
  if (dpi != dpi_ || !(painter.font() == font_)) LookUp(painter.font(), dpi);
  if (!usable_) return false;
  indexes_.resize(static_cast<qsizetype>(line.size()));
  positions_.resize(static_cast<qsizetype>(line.size()));
  qreal x = 0;
  int before = -1;
  for (std::size_t n = 0; n < line.size(); ++n) {
    const char c = line[n];
    if (c < kFirst || c > kLast) return false;
    const int at = c - kFirst;
    if (before >= 0) {
      const std::optional<qreal> advance = Advance(before, at);
      if (!advance) return false;
      x += *advance;
    }
    indexes_[static_cast<qsizetype>(n)] = index_[static_cast<std::size_t>(at)];
    positions_[static_cast<qsizetype>(n)] = QPointF(x, 0);
    before = at;
  }
  run_.setGlyphIndexes(indexes_);
  run_.setPositions(positions_);
  painter.drawGlyphRun(origin, run_);
  return true;
}

void AsciiGlyphs::LookUp(const QFont& font, int dpi) {
  font_ = font;
  dpi_ = dpi;
  shaped_.reset();
  separate_.reset();
  pair_advance_.assign(kCount * kCount, 0);
  raw_ = QRawFont::fromFont(font);
  QString all;
  for (char c = kFirst; c <= kLast; ++c) all.append(QChar(c));
  const QList<quint32> found = raw_.glyphIndexesForString(all);
  usable_ = raw_.isValid() && found.size() == kCount;
  for (int n = 0; usable_ && n < kCount; ++n) {
    index_[static_cast<std::size_t>(n)] = found[n];
    // A character the font lacks falls back to another font when shaped.
    if (found[n] == 0) usable_ = false;
  }
  run_ = QGlyphRun();
  run_.setRawFont(raw_);
}

std::optional<qreal> AsciiGlyphs::Advance(int first, int second) {
  const auto pair = static_cast<std::size_t>(first * kCount + second);
  if (!shaped_[pair]) {
    shaped_[pair] = true;
    const QChar chars[] = {QChar(kFirst + first), QChar(kFirst + second)};
    QTextLayout layout(QString(chars, 2), font_);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    if (runs.size() == 1 && runs[0].rawFont() == raw_) {
      const QList<QPointF> at = runs[0].positions();
      separate_[pair] = runs[0].glyphIndexes() == QList<quint32>{index_[static_cast<std::size_t>(first)],
                                                                 index_[static_cast<std::size_t>(second)]} &&
                        at.size() == 2 && at[0].x() == 0 && at[1].y() == at[0].y();
      if (separate_[pair]) pair_advance_[pair] = at[1].x();
    }
  }
  if (!separate_[pair]) return std::nullopt;
  return pair_advance_[pair];
}

}  // namespace geodata
