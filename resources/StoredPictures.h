#pragma once
// The skin's pictures as the build stored them: their pixel rows exactly as QImage keeps them,
// so that a picture is a QImage over these bytes, with nothing to decode or copy at start.
// Written by corvina_skingen into the build folder (SkinPictures.cpp).
#include <cstddef>

namespace skin::stored {

struct Picture {
    const char* name;
    int width;
    int height;
    int format;  // a QImage::Format
    int bytesPerLine;
    const unsigned char* pixels;  // height rows of bytesPerLine bytes, 16-byte aligned
    const unsigned int* colors;   // the colour table of an indexed picture, else null
    int colorCount;
    const char* const* text;  // key, value, key, value, ..., null
};

// Sorted by name (byte order).
extern const Picture kPictures[];
extern const std::size_t kPictureCount;

}  // namespace skin::stored
