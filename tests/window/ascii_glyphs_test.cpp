#include "window/ascii_glyphs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <string>

namespace geodata {
namespace {

enum class Expect { kDrawn, kRefused, kEither };

// Lines drawn from looked-up glyphs must be the very pixels drawText gives,
// at one and two device pixels per pixel; a line that cannot be drawn so is
// refused, not drawn otherwise.
TEST(AsciiGlyphs, DrawsLinesPixelForPixelAsDrawText) {
  QFont serif(QStringLiteral("DejaVu Serif"));  // kerns and joins "fi"
  serif.setPixelSize(15);
  serif.setItalic(true);
  struct Case {
    QFont font;
    std::string line;
    Expect expect;
  };
  const QFont panel = QApplication::font();
  std::string printable;
  for (char c = ' '; c <= '~'; ++c) printable += c;
  const Case cases[] = {
      {panel, "Map:  22 _ 22 ", Expect::kDrawn},
      {panel, " World_X: -73984 ", Expect::kDrawn},
      {panel, " 66   100 ", Expect::kDrawn},
      {panel, "Reading file data.....", Expect::kEither},  // "fi" may join
      {panel, printable, Expect::kDrawn},
      {panel, "AVAWAToTaWoYoLTr.", Expect::kDrawn},
      {panel, "", Expect::kDrawn},
      {panel, "caf\xc3\xa9", Expect::kRefused},
      {panel, "tab\there", Expect::kRefused},
      {serif, "AVAWAToTaWoYoLTr. ", Expect::kDrawn},
      {serif, "office", Expect::kEither},
      {serif, printable, Expect::kEither},
  };
  for (const qreal ratio : {1.0, 2.0}) {
    // One cache through all rows, as a panel keeps it, font changes included.
    AsciiGlyphs glyphs;
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << ratio << "x, " << c.font.family().toStdString() << ": \""
                                      << c.line << '"');
      auto blank = [ratio] {
        QImage image(QSize(900, 40) * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::white);
        return image;
      };
      QImage as_text = blank();
      QImage as_glyphs = blank();
      const QPoint origin(3, 25);
      {
        QPainter painter(&as_text);
        painter.setFont(c.font);
        painter.setPen(Qt::black);
        painter.drawText(origin, QString::fromStdString(c.line));
      }
      bool drawn = false;
      {
        QPainter painter(&as_glyphs);
        painter.setFont(c.font);
        painter.setPen(Qt::black);
        drawn = glyphs.Draw(painter, origin, c.line);
      }
      if (c.expect != Expect::kEither) {
        EXPECT_EQ(drawn, c.expect == Expect::kDrawn);
      }
      EXPECT_TRUE(as_glyphs == (drawn ? as_text : blank())) << (drawn ? "drawn" : "refused");
    }
  }
}

}  // namespace
}  // namespace geodata
