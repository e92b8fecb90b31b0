#include "tools/make_artwork_ico.h"

#include <QBuffer>
#include <QVector>
#include <cstdint>
#include <stdexcept>

namespace geodata {
namespace {

constexpr int kDirectoryBytes = 6;
constexpr int kEntryBytes = 16;
constexpr int kInfoHeaderBytes = 40;
constexpr int kOpaqueAlpha = 128;  // alpha at or above it is drawn in paletted images

void Put16(QByteArray& out, int value) {
  out.append(static_cast<char>(value & 0xFF));
  out.append(static_cast<char>((value >> 8) & 0xFF));
}

void Put32(QByteArray& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.append(static_cast<char>((value >> shift) & 0xFF));
}

int RowBytes(int pixels, int bits) { return ((pixels * bits + 31) / 32) * 4; }

// The standard 16-colour palette.
QVector<QRgb> SixteenColours() {
  return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
          qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
          qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
          qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

// One image as a bottom-up bitmap: header, palette, colour rows, mask rows.
QByteArray EncodeBitmap(const IconImage& icon) {
  const QImage argb = icon.image.convertToFormat(QImage::Format_ARGB32);
  const int size = argb.width();
  const int bits = icon.bits;
  QImage indexed;
  QVector<QRgb> palette;
  if (bits == 4 || bits == 8) {
    const QImage opaque = argb.convertToFormat(QImage::Format_RGB32);
    indexed = bits == 4 ? opaque.convertToFormat(QImage::Format_Indexed8, SixteenColours(),
                                                 Qt::ThresholdDither)
                        : opaque.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    palette = indexed.colorTable();
    palette.resize(1 << bits, qRgb(0, 0, 0));
  } else if (bits != 32) {
    throw std::invalid_argument("icon depth must be 4, 8 or 32 bits");
  }

  const int colour_row = RowBytes(size, bits);
  const int mask_row = RowBytes(size, 1);
  QByteArray out;
  Put32(out, kInfoHeaderBytes);
  Put32(out, static_cast<std::uint32_t>(size));
  Put32(out, static_cast<std::uint32_t>(2 * size));  // colour rows and mask rows
  Put16(out, 1);
  Put16(out, bits);
  Put32(out, 0);  // uncompressed
  Put32(out, static_cast<std::uint32_t>((colour_row + mask_row) * size));
  for (int i = 0; i < 4; ++i) Put32(out, 0);
  for (const QRgb colour : palette) {
    out.append(static_cast<char>(qBlue(colour)));
    out.append(static_cast<char>(qGreen(colour)));
    out.append(static_cast<char>(qRed(colour)));
    out.append('\0');
  }
  for (int y = size - 1; y >= 0; --y) {
    QByteArray row(colour_row, '\0');
    for (int x = 0; x < size; ++x) {
      if (bits == 32) {
        const QRgb pixel = argb.pixel(x, y);
        row[4 * x] = static_cast<char>(qBlue(pixel));
        row[4 * x + 1] = static_cast<char>(qGreen(pixel));
        row[4 * x + 2] = static_cast<char>(qRed(pixel));
        row[4 * x + 3] = static_cast<char>(qAlpha(pixel));
      } else if (bits == 8) {
        row[x] = static_cast<char>(indexed.pixelIndex(x, y));
      } else {
        const int index = indexed.pixelIndex(x, y);
        row[x / 2] = static_cast<char>(row[x / 2] | (x % 2 == 0 ? index << 4 : index));
      }
    }
    out.append(row);
  }
  for (int y = size - 1; y >= 0; --y) {
    QByteArray row(mask_row, '\0');
    for (int x = 0; x < size; ++x) {
      if (qAlpha(argb.pixel(x, y)) < kOpaqueAlpha) {
        row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
      }
    }
    out.append(row);
  }
  return out;
}

QByteArray EncodePng(const IconImage& icon) {
  if (icon.bits != 32) throw std::invalid_argument("a PNG icon image has 32 bits");
  QByteArray out;
  QBuffer buffer(&out);
  if (!buffer.open(QIODevice::WriteOnly) ||
      !icon.image.convertToFormat(QImage::Format_ARGB32).save(&buffer, "PNG")) {
    throw std::runtime_error("cannot encode the icon image as PNG");
  }
  return out;
}

}  // namespace

QByteArray EncodeIco(const std::vector<IconImage>& images) {
  QByteArray directory;
  Put16(directory, 0);
  Put16(directory, 1);  // icon, not cursor
  Put16(directory, static_cast<int>(images.size()));
  QByteArray bodies;
  std::uint32_t offset = kDirectoryBytes + kEntryBytes * static_cast<std::uint32_t>(images.size());
  for (const IconImage& icon : images) {
    const int size = icon.image.width();
    if (size != icon.image.height() || size < 1 || size > 256) {
      throw std::invalid_argument("icon images must be square, 1 to 256 pixels");
    }
    const QByteArray body = icon.png ? EncodePng(icon) : EncodeBitmap(icon);
    directory.append(static_cast<char>(size % 256));
    directory.append(static_cast<char>(size % 256));
    directory.append(static_cast<char>(icon.bits == 4 ? 16 : 0));
    directory.append('\0');
    Put16(directory, 1);
    Put16(directory, icon.bits);
    Put32(directory, static_cast<std::uint32_t>(body.size()));
    Put32(directory, offset);
    offset += static_cast<std::uint32_t>(body.size());
    bodies.append(body);
  }
  return directory + bodies;
}

}  // namespace geodata
