#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace verimo {

enum class TPictureFormat { Unknown, Png, Jpeg, Gif, Bmp };

struct TPictureInfo {
  TPictureFormat Format = TPictureFormat::Unknown;
  int Width = 0;
  int Height = 0;
};

// The format and pixel size from a picture file's header, without decoding
// it; Format stays Unknown for bytes of no known format.
TPictureInfo ReadPictureInfo(std::string_view bytes);

// 8-bit red, green, blue pixels, rows from the top.
struct TRgbImage {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Pixels;
};

// Decodes a PNG, JPEG, GIF (its first frame) or BMP picture; a picture that
// cannot be decoded raises verimo::Exception.
TRgbImage DecodePicture(std::string_view bytes);

std::string EncodePng(const TRgbImage& image);
// A bitmap file (with its 14-byte file header) of 24 bits per pixel.
std::string EncodeBmp24(const TRgbImage& image);

// The whole file; raises verimo::Exception when it cannot be read.
std::string ReadPictureFile(const std::filesystem::path& path);

}  // namespace verimo
