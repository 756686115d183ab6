// The program's style draws a group box's frame in pieces: exactly the pixels Fusion draws, and
// no painting threads started for a large box.

#include "ui/ProgramStyle.h"

#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QStyleFactory>

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace dk3::ui {
namespace {

const QString kFramePicture =
    QStringLiteral(":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png");

QImage drawn(QStyle* style, const QString& title, bool checkable, QSize size,
             QImage::Format format) {
    QGroupBox box(title);
    box.setStyle(style);
    box.setCheckable(checkable);
    box.setAutoFillBackground(true);
    QPalette palette = box.palette();
    palette.setColor(QPalette::Window, QColor(0x70, 0x10, 0x10));
    box.setPalette(palette);
    box.resize(size);
    QImage image(size, format);
    image.fill(Qt::white);
    box.render(&image);
    return image;
}

// Where two pictures of one size first differ, and how; empty when they are the same.
std::string firstDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.format() != b.format())
        return "different sizes or formats";
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y))
                return QStringLiteral("at %1,%2: %3 against %4")
                    .arg(x)
                    .arg(y)
                    .arg(a.pixel(x, y), 8, 16)
                    .arg(b.pixel(x, y), 8, 16)
                    .toStdString();
        }
    }
    return {};
}

int threadCount() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/task"))
                                .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                                .size());
}

TEST(ProgramStyle, GroupBoxFramesAreFusionsPixelsWithoutPaintingThreads) {
    const QPixmap picture(kFramePicture);
    ASSERT_FALSE(picture.isNull());
    auto ours = std::make_unique<ProgramStyle>(picture);
    std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));

    // The main dialog's boxes are about this large; Qt shares out a stretch over so many pixels.
    const int threadsBefore = threadCount();
    drawn(ours.get(), QStringLiteral("Graphics"), false, QSize(420, 520),
          QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(threadCount(), threadsBefore);

    for (const QImage::Format format :
         {QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB32}) {
        for (const QSize size : {QSize(420, 520), QSize(200, 60), QSize(30, 30), QSize(8, 8)}) {
            for (const auto& [title, checkable] : {std::pair{QStringLiteral("Graphics"), false},
                                                   {QString(), false},
                                                   {QString(), true}}) {
                SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height() << " "
                                                << title.toStdString() << " " << checkable);
                EXPECT_EQ(firstDifference(drawn(ours.get(), title, checkable, size, format),
                                          drawn(fusion.get(), title, checkable, size, format)),
                          "");
            }
        }
    }
    // Every height around the bands the frame is drawn in (one row inside, 64, 65, 128 ...) and
    // the picture's own size, at widths about the picture's own.
    for (const int width : {12, 13, 40, 97, 98, 99}) {
        for (int height = 14; height <= 150; ++height) {
            SCOPED_TRACE(testing::Message() << width << "x" << height);
            const QSize size(width, height);
            EXPECT_EQ(
                firstDifference(drawn(ours.get(), QString(), false, size, QImage::Format_RGB32),
                                drawn(fusion.get(), QString(), false, size, QImage::Format_RGB32)),
                "");
        }
    }
}

TEST(ProgramStyle, APictureNotMadeAsFusionsIsLeftToFusion) {
    QImage odd = QPixmap(kFramePicture).toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(odd.isNull());
    odd.setPixel(odd.width() / 2, odd.height() / 2, qRgba(255, 0, 0, 255));
    auto ours = std::make_unique<ProgramStyle>(QPixmap::fromImage(odd));
    std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    EXPECT_EQ(firstDifference(drawn(ours.get(), QStringLiteral("Cache"), false, QSize(300, 200),
                                    QImage::Format_ARGB32_Premultiplied),
                              drawn(fusion.get(), QStringLiteral("Cache"), false, QSize(300, 200),
                                    QImage::Format_ARGB32_Premultiplied)),
              "");
}

} // namespace
} // namespace dk3::ui
