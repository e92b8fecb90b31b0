// The banner and icon as built into the program.
#include <gtest/gtest.h>

#include <QFile>
#include <QImageReader>
#include <QtEndian>
#include <set>
#include <utility>

namespace geodata {
namespace {

TEST(Artwork, BannerIsA633By151ColourJpeg) {
  QImageReader reader(QStringLiteral(":/geodata-viewer/banner.jpg"));
  EXPECT_EQ(reader.format(), "jpeg");
  const QImage banner = reader.read();
  ASSERT_FALSE(banner.isNull()) << reader.errorString().toStdString();
  EXPECT_EQ(banner.size(), QSize(633, 151));
  EXPECT_FALSE(banner.isGrayscale());
}

TEST(Artwork, IconHoldsFourSizesAtThreeDepthsAndALargePng) {
  QFile file(QStringLiteral(":/geodata-viewer/geodata-viewer.ico"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray ico = file.readAll();
  const auto* bytes = reinterpret_cast<const uchar*>(ico.constData());
  ASSERT_GE(ico.size(), 6);
  EXPECT_EQ(qFromLittleEndian<quint16>(bytes + 2), 1) << "an icon, not a cursor";
  const int count = qFromLittleEndian<quint16>(bytes + 4);
  ASSERT_EQ(count, 13);
  ASSERT_GE(ico.size(), 6 + 16 * count);

  const QByteArray png_magic("\x89PNG\r\n\x1a\n");
  std::set<std::pair<int, int>> found;  // size, bits
  for (int i = 0; i < count; ++i) {
    const uchar* entry = bytes + 6 + 16 * i;
    const int bits = qFromLittleEndian<quint16>(entry + 6);
    const quint32 length = qFromLittleEndian<quint32>(entry + 8);
    const quint32 offset = qFromLittleEndian<quint32>(entry + 12);
    ASSERT_LE(quint64{offset} + length, quint64(ico.size())) << i;
    const QByteArray body = ico.mid(offset, length);
    // Windows reads a size byte of 0 as 256, and an image that large only as PNG.
    const int size = entry[0] == 0 ? 256 : entry[0];
    EXPECT_EQ(body.startsWith(png_magic), size == 256) << i;
    if (body.startsWith(png_magic)) {
      EXPECT_EQ(QImage::fromData(body, "PNG").size(), QSize(size, size)) << i;
    } else {
      const auto* bitmap = reinterpret_cast<const uchar*>(body.constData());
      EXPECT_EQ(qFromLittleEndian<qint32>(bitmap + 4), size) << i;
      EXPECT_EQ(qFromLittleEndian<qint32>(bitmap + 8), 2 * size) << i;
      EXPECT_EQ(qFromLittleEndian<quint16>(bitmap + 14), bits) << i;
    }
    EXPECT_EQ(entry[2], bits == 4 ? 16 : 0) << i;
    found.insert({size, bits});
  }
  std::set<std::pair<int, int>> want = {{256, 32}};
  for (const int size : {48, 32, 24, 16}) {
    for (const int bits : {4, 8, 32}) want.insert({size, bits});
  }
  EXPECT_EQ(found, want);

  QImageReader reader(QStringLiteral(":/geodata-viewer/geodata-viewer.ico"));
  EXPECT_EQ(reader.imageCount(), 13);
  int read = 0;
  do {
    const QImage image = reader.read();
    ASSERT_FALSE(image.isNull()) << "image " << read << ": " << reader.errorString().toStdString();
    ++read;
  } while (reader.jumpToNextImage());
  EXPECT_EQ(read, 13);
}

}  // namespace
}  // namespace geodata
