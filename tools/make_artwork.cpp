// Draws the program's banner and icon into a folder (default
// window/resources). Run by hand with QT_QPA_PLATFORM=offscreen; the
// results are committed and built into the program as resources.
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdio>

#include "region/region_format.h"
#include "tools/make_artwork_ico.h"
#include "view/colour_rule.h"

namespace {

constexpr int kBannerWidth = 633;
constexpr int kBannerHeight = 151;
constexpr int kBannerQuality = 92;
constexpr int kIconSizes[] = {48, 32, 24, 16};
constexpr int kIconDepths[] = {4, 8, 32};
constexpr int kLargeIconSize = 256;  // PNG-compressed, for Explorer's large views
constexpr int kDesktopIconSizes[] = {48, 256};
const QColor kNight(11, 24, 38);

// A made-up landscape: hills, a coast and a sea, as a flat block's height.
std::int16_t Height(double u, double v) {
  const double hills = std::sin(u * 7.1 + 1.3) * std::cos(v * 5.3 - 0.4) +
                       0.5 * std::sin(u * 17.0 - v * 11.0) + 0.25 * std::cos(u * 31.0 + v * 23.0);
  const double coast = 2.2 * (u - 0.35) - 1.1 * v;
  return static_cast<std::int16_t>(std::lround(-3700 + 1900 * (hills + coast)));
}

QColor MapColour(std::int16_t type, std::int16_t value, std::int16_t count) {
  const geodata::Colour c = geodata::Compose(geodata::ColourComponents(type, value, count));
  return {c.red, c.green, c.blue};
}

// Points of the landscape in the map's own colour rule, a few multilayer
// blocks making a settlement.
void DrawTerrain(QPainter& painter, const QRect& area, int pitch, int dot) {
  for (int y = area.top(); y + dot <= area.bottom() + 1; y += pitch) {
    for (int x = area.left(); x + dot <= area.right() + 1; x += pitch) {
      const double u = double(x - area.left()) / area.width();
      const double v = double(y - area.top()) / area.height();
      const double town = std::hypot(u - 0.72, (v - 0.42) * 0.6);
      QColor colour = MapColour(geodata::kFlatType, Height(u, v), 0);
      if (town < 0.06) {
        colour = MapColour(1, 0, static_cast<std::int16_t>(1 + (x / pitch + y / pitch) % 5));
      }
      painter.fillRect(x, y, dot, dot, colour);
    }
  }
}

QImage DrawBanner() {
  QImage banner(kBannerWidth, kBannerHeight, QImage::Format_RGB32);
  banner.fill(kNight);
  QPainter painter(&banner);
  DrawTerrain(painter, QRect(200, 0, kBannerWidth - 200, kBannerHeight), 3, 2);

  QLinearGradient fade(150, 0, 430, 0);
  fade.setColorAt(0, kNight);
  fade.setColorAt(1, QColor(kNight.red(), kNight.green(), kNight.blue(), 0));
  painter.fillRect(150, 0, 280, kBannerHeight, fade);
  painter.fillRect(0, 0, 150, kBannerHeight, kNight);

  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  QFont title(QStringLiteral("DejaVu Sans"));
  title.setPixelSize(42);
  title.setBold(true);
  painter.setFont(title);
  painter.setPen(QColor(240, 246, 250));
  painter.drawText(QPoint(24, 78), QStringLiteral("GeoData viewer"));

  QFont subtitle(QStringLiteral("DejaVu Sans"));
  subtitle.setPixelSize(15);
  painter.setFont(subtitle);
  painter.setPen(QColor(150, 200, 170));
  painter.drawText(QPoint(27, 106), QStringLiteral("world regions, block by block"));

  // A pointer over the map, as the readout follows it.
  const QPointF tip(520, 62);
  QPainterPath arrow;
  arrow.moveTo(tip);
  arrow.lineTo(tip + QPointF(0, 22));
  arrow.lineTo(tip + QPointF(6, 17));
  arrow.lineTo(tip + QPointF(11, 26));
  arrow.lineTo(tip + QPointF(14, 24));
  arrow.lineTo(tip + QPointF(9, 15));
  arrow.lineTo(tip + QPointF(16, 15));
  arrow.closeSubpath();
  painter.setPen(QPen(Qt::black, 1.2));
  painter.setBrush(Qt::white);
  painter.drawPath(arrow);
  return banner;
}

QImage DrawIcon(int size) {
  QImage icon(size, size, QImage::Format_ARGB32);
  icon.fill(Qt::transparent);
  QPainter painter(&icon);
  painter.setRenderHint(QPainter::Antialiasing);
  const double margin = size / 16.0;
  const QRectF plate(margin, margin, size - 2 * margin, size - 2 * margin);
  painter.setPen(Qt::NoPen);
  painter.setBrush(kNight);
  painter.drawRoundedRect(plate, size / 7.0, size / 7.0);

  // A few blocks of the map: sea in one corner, greens rising away from it.
  const int blocks = size >= 32 ? 4 : 3;
  const double cell = (plate.width() - 2 * margin) / blocks;
  const double gap = std::max(1.0, cell / 6);
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (int row = 0; row < blocks; ++row) {
    for (int column = 0; column < blocks; ++column) {
      const int rise = row + column;
      const QColor colour =
          rise == 0 ? MapColour(geodata::kFlatType, -6000, 0)
                    : MapColour(geodata::kFlatType,
                                static_cast<std::int16_t>(-3600 + 3400 * rise / (2 * blocks - 2)), 0);
      painter.fillRect(QRectF(plate.left() + margin + column * cell + gap / 2,
                              plate.top() + margin + row * cell + gap / 2, cell - gap, cell - gap),
                       colour);
    }
  }
  return icon;
}

bool Save(const QByteArray& bytes, const QString& path) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace

int main(int argc, char* argv[]) {
  QGuiApplication app(argc, argv);
  const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("window/resources"));
  bool saved = DrawBanner().save(folder.filePath(QStringLiteral("banner.jpg")), "JPG",
                                 kBannerQuality);
  std::vector<geodata::IconImage> images;
  for (const int bits : kIconDepths) {
    for (const int size : kIconSizes) images.push_back({DrawIcon(size), bits});
  }
  images.push_back({DrawIcon(kLargeIconSize), 32, true});
  saved = saved && Save(geodata::EncodeIco(images), folder.filePath(QStringLiteral("geodata-viewer.ico")));
  for (const int size : kDesktopIconSizes) {
    saved = saved && DrawIcon(size).save(
                         folder.filePath(QStringLiteral("geodata-viewer-%1.png").arg(size)), "PNG");
  }
  if (!saved) {
    std::fprintf(stderr, "make_artwork: cannot write to %s\n", qPrintable(folder.path()));
    return 1;
  }
  return 0;
}
