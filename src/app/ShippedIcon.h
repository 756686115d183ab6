#pragma once

// The window icon, decoded once when the program is built (by resources/picture_texels.cpp, with
// Qt's own PNG reader): taken from here, it costs no decoding at start.

namespace dk3::app {

struct ShippedIcon {
    const unsigned char* bits = nullptr; // null when the program was built without its icon
    int width = 0;
    int height = 0;
    int bytesPerLine = 0;
    int format = 0; // a QImage::Format
};

const ShippedIcon& shippedIcon();

} // namespace dk3::app
