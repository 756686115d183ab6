// Build tool: decodes the banner's picture the way the program would at start (Qt's reader for its
// file name) and writes it as C++ source, the file's bytes and the texels with their border (see
// src/presentation/ShippedPicture.h). Without a picture file it writes an empty one.
// Usage: dk3_picture_texels picture output.cpp

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

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: dk3_picture_texels picture output.cpp\n", stderr);
        return 2;
    }
    QCoreApplication application(argc, argv); // finds the image format plugins
    const QString path = QString::fromLocal8Bit(argv[1]);
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
            std::fprintf(stderr, "dk3_picture_texels: cannot decode %s: %s\n", argv[1],
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

    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
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
        std::fprintf(stderr, "dk3_picture_texels: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
