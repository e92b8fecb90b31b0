// Draws lines of printable ASCII in one font from glyphs looked up once per
// character, so that repainting a changed row does not shape its text again.
// Each pair of neighbours is shaped once, for its kerning and to find
// ligatures; a line with a ligature, or with other characters, is left to
// drawText. Against drawText for every row, it took 3 to 11 % off a pointer
// move's program CPU (bench/in_window.py's moves in Xvfb, medians of nine
// bursts of 100, three runs on a busy machine: 380 -> 338, 314 -> 306 and
// 355 -> 315 us).
#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <array>
#include <bitset>
#include <optional>
#include <string_view>
#include <vector>

class QPainter;

namespace geodata {

class AsciiGlyphs {
 public:
  // Draws `line` in the painter's font and pen with its baseline starting at
  // `origin`; false, drawing nothing, when it cannot.
  bool Draw(QPainter& painter, QPointF origin, std::string_view line);

 private:
  static constexpr char kFirst = ' ';
  static constexpr char kLast = '~';
  static constexpr int kCount = kLast - kFirst + 1;

  void LookUp(const QFont& font, int dpi);
  // The advance from the first glyph to the second; none when shaping
  // would not draw them as those two glyphs.
  std::optional<qreal> Advance(int first, int second);

  QFont font_;
  int dpi_ = 0;
  bool usable_ = false;
  QRawFont raw_;
  std::array<quint32, kCount> index_{};
  // Pairs of characters, each shaped once: whether shaping keeps their two
  // glyphs, and how far apart it sets them (kerned).
  std::bitset<kCount * kCount> shaped_;
  std::bitset<kCount * kCount> separate_;
  std::vector<qreal> pair_advance_;
  QList<quint32> indexes_;
  QList<QPointF> positions_;
  QGlyphRun run_;
};

}  // namespace geodata
