// Build tool: decodes a picture the way the program would at start and writes it as C++ source.
// - banner: the banner's picture (Qt's reader for its file name): the file's bytes and the texels
//   with their border (see src/presentation/ShippedPicture.h).
// - icon: the window icon (Qt's own PNG reader): the image's bits as Qt decodes them (see
//   src/app/ShippedIcon.h).
// Without a picture file it writes an empty one.
// Usage: dk3_picture_texels banner|icon picture output.cpp

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

template <typename T>
void writeArray(std::ofstream& out, const T* values, std::size_t count, int digits) {
    char number[24];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(number, sizeof number, "0x%0*llx,", digits,
                      static_cast<unsigned long long>(values[i]));
        out << number << ((i + 1) % 12 == 0 || i + 1 == count ? "\n" : "");
    }
}

} // namespace

// The window icon's pixels as Qt's PNG reader gives them, for a QImage over them.
int writeIcon(const char* input, const char* output) {
    const QString path = QString::fromLocal8Bit(input);
    QImage image;
    if (QFile::exists(path)) {
        QImageReader reader(path, "png");
        reader.setAutoDetectImageFormat(false);
        image = reader.read();
        if (image.isNull()) {
            std::fprintf(stderr, "dk3_picture_texels: cannot decode %s: %s\n", input,
                         qPrintable(reader.errorString()));
            return 1;
        }
    }
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out << "// Made by dk3_picture_texels at build time; do not edit.\n"
           "#include \"app/ShippedIcon.h\"\n\n"
           "namespace dk3::app {\nnamespace {\n\n";
    if (!image.isNull()) {
        out << "alignas(16) const unsigned char kBits[] = {\n";
        writeArray(out, image.constBits(), static_cast<std::size_t>(image.sizeInBytes()), 2);
        out << "};\n\n";
    }
    out << "} // namespace\n\nconst ShippedIcon& shippedIcon() {\n";
    if (image.isNull())
        out << "    static const ShippedIcon icon;\n";
    else
        out << "    static const ShippedIcon icon{kBits, " << image.width() << ", "
            << image.height() << ", " << image.bytesPerLine() << ", "
            << static_cast<int>(image.format()) << "};\n";
    out << "    return icon;\n}\n\n} // namespace dk3::app\n";
    out.close();
    if (!out) {
        std::fprintf(stderr, "dk3_picture_texels: cannot write %s\n", output);
        return 1;
    }
    return 0;
}

int main(int argc, char** argv) {
    const std::string mode = argc == 4 ? argv[1] : "";
    if (mode != "banner" && mode != "icon") {
        std::fputs("usage: dk3_picture_texels banner|icon picture output.cpp\n", stderr);
        return 2;
    }
    QCoreApplication application(argc, argv); // finds the image format plugins
    if (mode == "icon")
        return writeIcon(argv[2], argv[3]);
    const QString path = QString::fromLocal8Bit(argv[2]);
    std::vector<unsigned char> bytes;
    std::vector<std::uint32_t> texels;
    int width = 0;
    int height = 0;
    if (QFile file(path); file.open(QIODevice::ReadOnly)) {
        const QByteArray content = file.readAll();
        bytes.assign(content.begin(), content.end());
        QImageReader reader(path);
        const QImage picture = reader.read().convertToFormat(QImage::Format_RGB32);
        if (picture.isNull() || bytes.empty()) {
            std::fprintf(stderr, "dk3_picture_texels: cannot decode %s: %s\n", argv[2],
                         qPrintable(reader.errorString()));
            return 1;
        }
        width = picture.width();
        height = picture.height();
        const int stride = width + 2;
        texels.resize(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height + 2));
        for (int y = -1; y <= height; ++y) {
            const auto* source = reinterpret_cast<const std::uint32_t*>(
                picture.constScanLine(std::clamp(y, 0, height - 1)));
            std::uint32_t* target = texels.data() + static_cast<std::ptrdiff_t>(y + 1) * stride;
            std::copy(source, source + width, target + 1);
            target[0] = target[1];
            target[width + 1] = target[width];
        }
    }

    std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
    out << "// Made by dk3_picture_texels at build time; do not edit.\n"
           "#include \"presentation/ShippedPicture.h\"\n\n"
           "namespace dk3::presentation {\nnamespace {\n\n";
    if (!bytes.empty()) {
        out << "const unsigned char kEncoded[] = {\n";
        writeArray(out, bytes.data(), bytes.size(), 2);
        out << "};\n\nalignas(64) const std::uint32_t kTexels[] = {\n";
        writeArray(out, texels.data(), texels.size(), 8);
        out << "};\n\n";
    }
    out << "} // namespace\n\nconst ShippedPicture& shippedPicture() {\n";
    if (bytes.empty())
        out << "    static const ShippedPicture picture;\n";
    else
        out << "    static const ShippedPicture picture{kEncoded, sizeof kEncoded, kTexels, "
            << width << ", " << height << "};\n";
    out << "    return picture;\n}\n\n} // namespace dk3::presentation\n";
    out.close();
    if (!out) {
        std::fprintf(stderr, "dk3_picture_texels: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
