// The pictures and the music clip the program carries: present in the resources, in the sizes and
// formats the dialogs and the banner expect.

#include "support/TempDir.h"

#include <QFile>
#include <QImage>
#include <QImageReader>

#include <cmath>
#include <gtest/gtest.h>
#include <mpg123.h>
#include <vector>

namespace {

QByteArray resource(const char* name) {
    QFile file(QStringLiteral(":/dk3/") + QString::fromLatin1(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

std::uint32_t littleEndian(const QByteArray& bytes, int offset, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | static_cast<std::uint8_t>(bytes[offset + i]);
    return value;
}

struct Decoded {
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    mpg123_frameinfo info{};
    std::vector<short> samples; // interleaved
};

// Decodes with libmpg123, independently of the player the program uses.
Decoded decode(const std::filesystem::path& file) {
    Decoded out;
    mpg123_handle* handle = mpg123_new(nullptr, nullptr);
    EXPECT_NE(handle, nullptr);
    if (!handle)
        return out;
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    EXPECT_EQ(mpg123_open(handle, file.c_str()), MPG123_OK);
    std::vector<unsigned char> buffer(65536);
    for (;;) {
        std::size_t done = 0;
        const int result = mpg123_read(handle, buffer.data(), buffer.size(), &done);
        const auto* first = reinterpret_cast<const short*>(buffer.data());
        out.samples.insert(out.samples.end(), first, first + done / sizeof(short));
        if (result == MPG123_NEW_FORMAT) {
            mpg123_getformat(handle, &out.rate, &out.channels, &out.encoding);
            mpg123_info(handle, &out.info);
        } else if (result != MPG123_OK) {
            EXPECT_EQ(result, MPG123_DONE) << mpg123_strerror(handle);
            break;
        }
    }
    mpg123_close(handle);
    mpg123_delete(handle);
    return out;
}

double rms(const std::vector<short>& samples, std::size_t begin, std::size_t end, int channel) {
    double sum = 0;
    std::size_t n = 0;
    for (std::size_t i = begin * 2 + static_cast<std::size_t>(channel); i < end * 2; i += 2, ++n)
        sum += static_cast<double>(samples[i]) * samples[i];
    return n ? std::sqrt(sum / static_cast<double>(n)) / 32768.0 : 0.0;
}

TEST(Assets, MusicClipIsAboutSixAndAHalfSecondsOfStereoMp3WithAnEmptyTagAtTheEnd) {
    const QByteArray clip = resource("vorlix.mp3");
    ASSERT_GT(clip.size(), 128);
    EXPECT_NEAR(clip.size(), 105'000, 2'000);
    EXPECT_TRUE(clip.startsWith("\xFF\xFB")); // a frame at once, no ID3 version 2 tag

    const QByteArray tag = clip.right(128);
    EXPECT_TRUE(tag.startsWith("TAG"));
    // Title, artist, album, year and comment are empty.
    for (int i = 3; i < 127; ++i)
        EXPECT_TRUE(tag[i] == '\0' || tag[i] == ' ') << "tag byte " << i;

    dk3::test::TempDir dir;
    const auto file = dir.write("vorlix.mp3", std::string_view(clip.constData(), clip.size()));
    const Decoded decoded = decode(file);
    EXPECT_EQ(decoded.rate, 44100);
    ASSERT_EQ(decoded.channels, 2);
    ASSERT_EQ(decoded.encoding, MPG123_ENC_SIGNED_16);
    EXPECT_EQ(decoded.info.version, MPG123_1_0);
    EXPECT_EQ(decoded.info.layer, 3);
    EXPECT_EQ(decoded.info.bitrate, 128);
    EXPECT_EQ(decoded.info.vbr, MPG123_CBR);
    EXPECT_NE(decoded.info.mode, MPG123_M_MONO);

    const std::size_t frames = decoded.samples.size() / 2;
    EXPECT_NEAR(static_cast<double>(frames) / 44100.0, 6.5, 0.15);
    // Sound on both sides in every quarter of the clip.
    for (std::size_t quarter = 0; quarter < 4; ++quarter) {
        for (int channel = 0; channel < 2; ++channel)
            EXPECT_GT(
                rms(decoded.samples, frames * quarter / 4, frames * (quarter + 1) / 4, channel),
                0.03)
                << "quarter " << quarter << " channel " << channel;
    }
}

TEST(Assets, PicturesHaveTheSizesAndFormatsTheDialogsExpect) {
    QImageReader logo(QStringLiteral(":/dk3/vorlix_logo.jpg"));
    EXPECT_EQ(logo.format(), QByteArray("jpeg"));
    EXPECT_EQ(logo.read().size(), QSize(480, 150));

    for (auto [name, size] : {std::pair{"credits_large.bmp", QSize(480, 322)},
                              std::pair{"credits_small.bmp", QSize(78, 78)}}) {
        SCOPED_TRACE(name);
        const QByteArray bmp = resource(name);
        ASSERT_GT(bmp.size(), 54);
        EXPECT_TRUE(bmp.startsWith("BM"));
        EXPECT_EQ(littleEndian(bmp, 14, 4), 40u); // plain BITMAPINFOHEADER, no alpha masks
        EXPECT_EQ(littleEndian(bmp, 28, 2), 24u); // bits per pixel
        EXPECT_EQ(littleEndian(bmp, 30, 4), 0u);  // uncompressed
        QImage image;
        EXPECT_TRUE(image.loadFromData(bmp, "BMP"));
        EXPECT_EQ(image.size(), size);
        EXPECT_FALSE(image.hasAlphaChannel());
    }

    QImageReader icon(QStringLiteral(":/dk3/draskel3-tuning.png"));
    EXPECT_EQ(icon.format(), QByteArray("png"));
    const QImage iconImage = icon.read();
    EXPECT_EQ(iconImage.width(), iconImage.height());
    EXPECT_GE(iconImage.width(), 64);
    // Rounded corners are see-through, the middle is not.
    EXPECT_EQ(qAlpha(iconImage.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(iconImage.pixel(iconImage.width() / 2, iconImage.height() / 2)), 255);
}

} // namespace
