#pragma once

// The banner's picture as the program carries it, decoded once when the program is built (by
// resources/picture_texels.cpp): the file's bytes, by which the banner recognises the picture it
// is given, and its texels as BannerTexture keeps them. Taken from here, the picture costs no image
// format plugin (the JPEG one brings a library of about half a megabyte) and no decoding at start.

#include <cstddef>
#include <cstdint>

namespace dk3::presentation {

struct ShippedPicture {
    const unsigned char* encoded = nullptr;
    std::size_t encodedSize = 0; // 0 when the program was built without its picture
    // Rows of width + 2 texels, height + 2 of them: the picture with a border that repeats its
    // outermost rows and columns.
    const std::uint32_t* texels = nullptr;
    int width = 0;
    int height = 0;
};

const ShippedPicture& shippedPicture();

} // namespace dk3::presentation
