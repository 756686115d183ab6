// The banner's picture decoded at build time against the same picture decoded now, and the
// banner taking it only for a file that holds exactly the picture's bytes.

#include "presentation/ShippedPicture.h"

#include "presentation/BannerRenderer.h"
#include "support/TempDir.h"

#include <QFile>
#include <QImageReader>

#include <cstring>
#include <gtest/gtest.h>

namespace dk3::presentation {
namespace {

QByteArray logoBytes() {
    QFile logo(QStringLiteral(":/dk3/vorlix_logo.jpg"));
    return logo.open(QIODevice::ReadOnly) ? logo.readAll() : QByteArray();
}

TEST(ShippedPicture, HoldsTheCarriedPictureWithTheTexelsItDecodesTo) {
    const ShippedPicture& shipped = shippedPicture();
    const QByteArray bytes = logoBytes();
    ASSERT_FALSE(bytes.isEmpty());
    ASSERT_EQ(shipped.encodedSize, static_cast<std::size_t>(bytes.size()));
    EXPECT_EQ(std::memcmp(shipped.encoded, bytes.constData(), shipped.encodedSize), 0);

    QImageReader reader(QStringLiteral(":/dk3/vorlix_logo.jpg"));
    const BannerTexture decodedNow(reader.read());
    ASSERT_FALSE(decodedNow.isNull());
    ASSERT_EQ(shipped.width, decodedNow.width());
    ASSERT_EQ(shipped.height, decodedNow.height());
    const auto fromBuild = BannerTexture::borrowed(shipped.texels, shipped.width, shipped.height);
    // Every texel, the border included.
    int differing = 0;
    for (int y = -1; y <= shipped.height; ++y) {
        for (int x = -1; x <= shipped.width; ++x)
            differing += *fromBuild.texel(x, y) != *decodedNow.texel(x, y);
    }
    EXPECT_EQ(differing, 0);
}

TEST(ShippedPicture, IsTakenOnlyForAFileWithExactlyItsBytes) {
    const ShippedPicture& shipped = shippedPicture();
    test::TempDir dir;
    QByteArray bytes = logoBytes();
    ASSERT_FALSE(bytes.isEmpty());
    const auto texelsOf = [&dir](const char* name, const QByteArray& content) {
        test::writeFile(dir / name, std::string_view(content.constData(), content.size()));
        BannerRenderer renderer(QString::fromStdString((dir / name).string()));
        return renderer.hasPicture() ? renderer.texture().texel(-1, -1) : nullptr;
    };
    EXPECT_EQ(texelsOf("same.jpg", bytes), shipped.texels);
    // One byte of the picture's data changed: the file is decoded as it stands.
    bytes[bytes.size() / 2] = static_cast<char>(bytes[bytes.size() / 2] ^ 0x10);
    const std::uint32_t* changed = texelsOf("changed.jpg", bytes);
    ASSERT_NE(changed, nullptr);
    EXPECT_NE(changed, shipped.texels);
    // The same bytes and one more.
    EXPECT_NE(texelsOf("longer.jpg", logoBytes() + '\0'), shipped.texels);
}

} // namespace
} // namespace dk3::presentation
