#include "platform/images/Picture.h"

#include <gif_lib.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include <csetjmp>

#include "core/Exception.h"

namespace verimo {

namespace {

constexpr int kMaxSide = 1 << 15;

uint32_t Le16(std::string_view b, size_t at) {
  return static_cast<uint8_t>(b[at]) | static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8;
}
uint32_t Le32(std::string_view b, size_t at) { return Le16(b, at) | Le16(b, at + 2) << 16; }
uint32_t Be16(std::string_view b, size_t at) {
  return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) << 8 | static_cast<uint8_t>(b[at + 1]);
}
uint32_t Be32(std::string_view b, size_t at) { return Be16(b, at) << 16 | Be16(b, at + 2); }

bool JpegSize(std::string_view b, TPictureInfo& info) {
  size_t at = 2;
  while (at + 9 < b.size()) {
    if (static_cast<uint8_t>(b[at]) != 0xFF) return false;
    const uint8_t marker = static_cast<uint8_t>(b[at + 1]);
    if (marker == 0xFF) {
      ++at;
      continue;
    }
    const size_t length = Be16(b, at + 2);
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      info.Height = static_cast<int>(Be16(b, at + 5));
      info.Width = static_cast<int>(Be16(b, at + 7));
      return true;
    }
    at += 2 + length;
  }
  return false;
}

void CheckSize(int width, int height) {
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) throw Exception("The picture's size is not usable");
}

TRgbImage DecodePng(std::string_view bytes) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) throw Exception("The PNG picture cannot be read");
  image.format = PNG_FORMAT_RGB;
  TRgbImage out;
  out.Width = static_cast<int>(image.width);
  out.Height = static_cast<int>(image.height);
  try {
    CheckSize(out.Width, out.Height);
  } catch (...) {
    png_image_free(&image);
    throw;
  }
  out.Pixels.resize(PNG_IMAGE_SIZE(image));
  png_color white{255, 255, 255};
  if (!png_image_finish_read(&image, &white, out.Pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    throw Exception("The PNG picture cannot be read");
  }
  return out;
}

struct TJpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void OnJpegError(j_common_ptr info) { std::longjmp(reinterpret_cast<TJpegError*>(info->err)->jump, 1); }

// No C++ object with a destructor lives between setjmp and longjmp.
bool DecodeJpegInto(std::string_view bytes, TRgbImage& out) {
  jpeg_decompress_struct info;
  TJpegError error;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = OnJpegError;
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  if (info.output_width == 0 || info.output_height == 0 || info.output_width > kMaxSide || info.output_height > kMaxSide) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  out.Width = static_cast<int>(info.output_width);
  out.Height = static_cast<int>(info.output_height);
  out.Pixels.resize(static_cast<size_t>(out.Width) * out.Height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = out.Pixels.data() + static_cast<size_t>(info.output_scanline) * out.Width * 3;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

TRgbImage DecodeJpeg(std::string_view bytes) {
  TRgbImage out;
  if (!DecodeJpegInto(bytes, out)) throw Exception("The JPEG picture cannot be read");
  return out;
}

struct TGifSource {
  std::string_view bytes;
  size_t at = 0;
};

int ReadGif(GifFileType* gif, GifByteType* buffer, int count) {
  auto* source = static_cast<TGifSource*>(gif->UserData);
  const size_t n = std::min(static_cast<size_t>(count), source->bytes.size() - source->at);
  std::memcpy(buffer, source->bytes.data() + source->at, n);
  source->at += n;
  return static_cast<int>(n);
}

TRgbImage DecodeGif(std::string_view bytes) {
  TGifSource source{bytes};
  int error = 0;
  std::unique_ptr<GifFileType, void (*)(GifFileType*)> gif(DGifOpen(&source, ReadGif, &error), [](GifFileType* g) {
    int ignored = 0;
    DGifCloseFile(g, &ignored);
  });
  if (!gif || DGifSlurp(gif.get()) != GIF_OK || gif->ImageCount < 1) throw Exception("The GIF picture cannot be read");
  const SavedImage& frame = gif->SavedImages[0];
  const ColorMapObject* map = frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
  TRgbImage out;
  out.Width = gif->SWidth;
  out.Height = gif->SHeight;
  CheckSize(out.Width, out.Height);
  if (map == nullptr) throw Exception("The GIF picture has no colours");
  int transparent = -1;
  for (int i = 0; i < frame.ExtensionBlockCount; ++i) {
    GraphicsControlBlock control;
    if (frame.ExtensionBlocks[i].Function == GRAPHICS_EXT_FUNC_CODE &&
        DGifExtensionToGCB(frame.ExtensionBlocks[i].ByteCount, frame.ExtensionBlocks[i].Bytes, &control) == GIF_OK)
      transparent = control.TransparentColor;
  }
  out.Pixels.assign(static_cast<size_t>(out.Width) * out.Height * 3, 255);
  const GifImageDesc& d = frame.ImageDesc;
  for (int y = 0; y < d.Height; ++y) {
    for (int x = 0; x < d.Width; ++x) {
      const int px = d.Left + x;
      const int py = d.Top + y;
      if (px < 0 || py < 0 || px >= out.Width || py >= out.Height) continue;
      const int index = frame.RasterBits[static_cast<size_t>(y) * d.Width + x];
      if (index == transparent || index >= map->ColorCount) continue;
      uint8_t* p = out.Pixels.data() + (static_cast<size_t>(py) * out.Width + px) * 3;
      p[0] = map->Colors[index].Red;
      p[1] = map->Colors[index].Green;
      p[2] = map->Colors[index].Blue;
    }
  }
  return out;
}

// Uncompressed bitmaps of 8, 24 or 32 bits per pixel.
TRgbImage DecodeBmp(std::string_view b) {
  if (b.size() < 54) throw Exception("The bitmap picture cannot be read");
  const size_t offset = Le32(b, 10);
  const size_t header = Le32(b, 14);
  const int width = static_cast<int>(Le32(b, 18));
  const int rawHeight = static_cast<int>(Le32(b, 22));
  const int bits = static_cast<int>(Le16(b, 28));
  const uint32_t compression = Le32(b, 30);
  const bool topDown = rawHeight < 0;
  const int height = topDown ? -rawHeight : rawHeight;
  CheckSize(width, height);
  if (compression != 0 || (bits != 8 && bits != 24 && bits != 32)) throw Exception("The bitmap picture's kind is not supported");
  const size_t stride = (static_cast<size_t>(width) * bits / 8 + 3) & ~size_t{3};
  if (offset > b.size() || stride * height > b.size() - offset) throw Exception("The bitmap picture is cut short");
  const size_t palette = 14 + header;
  TRgbImage out;
  out.Width = width;
  out.Height = height;
  out.Pixels.resize(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    const size_t row = offset + stride * static_cast<size_t>(topDown ? y : height - 1 - y);
    for (int x = 0; x < width; ++x) {
      uint8_t* p = out.Pixels.data() + (static_cast<size_t>(y) * width + x) * 3;
      size_t at = row + static_cast<size_t>(x) * (bits / 8);
      if (bits == 8) {
        at = palette + 4 * static_cast<size_t>(static_cast<uint8_t>(b[at]));
        if (at + 3 > b.size()) throw Exception("The bitmap picture is cut short");
      }
      p[0] = static_cast<uint8_t>(b[at + 2]);
      p[1] = static_cast<uint8_t>(b[at + 1]);
      p[2] = static_cast<uint8_t>(b[at]);
    }
  }
  return out;
}

}  // namespace

TPictureInfo ReadPictureInfo(std::string_view b) {
  TPictureInfo info;
  if (b.size() >= 24 && b.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8)) {
    info.Format = TPictureFormat::Png;
    info.Width = static_cast<int>(Be32(b, 16));
    info.Height = static_cast<int>(Be32(b, 20));
  } else if (b.size() >= 4 && static_cast<uint8_t>(b[0]) == 0xFF && static_cast<uint8_t>(b[1]) == 0xD8) {
    if (JpegSize(b, info)) info.Format = TPictureFormat::Jpeg;
  } else if (b.size() >= 10 && (b.substr(0, 6) == "GIF87a" || b.substr(0, 6) == "GIF89a")) {
    info.Format = TPictureFormat::Gif;
    info.Width = static_cast<int>(Le16(b, 6));
    info.Height = static_cast<int>(Le16(b, 8));
  } else if (b.size() >= 26 && b.substr(0, 2) == "BM") {
    info.Format = TPictureFormat::Bmp;
    info.Width = static_cast<int>(Le32(b, 18));
    const int height = static_cast<int>(Le32(b, 22));
    info.Height = height < 0 ? -height : height;
  }
  if (info.Width <= 0 || info.Height <= 0) info = TPictureInfo{};
  return info;
}

TRgbImage DecodePicture(std::string_view bytes) {
  switch (ReadPictureInfo(bytes).Format) {
    case TPictureFormat::Png: return DecodePng(bytes);
    case TPictureFormat::Jpeg: return DecodeJpeg(bytes);
    case TPictureFormat::Gif: return DecodeGif(bytes);
    case TPictureFormat::Bmp: return DecodeBmp(bytes);
    default: throw Exception("The picture's format is not known");
  }
}

std::string EncodePng(const TRgbImage& source) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(source.Width);
  image.height = static_cast<png_uint_32>(source.Height);
  image.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, source.Pixels.data(), 0, nullptr))
    throw Exception("The PNG picture cannot be written");
  std::string out(size, '\0');
  if (!png_image_write_to_memory(&image, out.data(), &size, 0, source.Pixels.data(), 0, nullptr))
    throw Exception("The PNG picture cannot be written");
  out.resize(size);
  return out;
}

std::string EncodeBmp24(const TRgbImage& image) {
  const size_t stride = (static_cast<size_t>(image.Width) * 3 + 3) & ~size_t{3};
  const size_t pixels = stride * image.Height;
  std::string out(54 + pixels, '\0');
  auto put16 = [&out](size_t at, uint32_t v) {
    out[at] = static_cast<char>(v & 0xFF);
    out[at + 1] = static_cast<char>((v >> 8) & 0xFF);
  };
  auto put32 = [&](size_t at, uint32_t v) {
    put16(at, v & 0xFFFF);
    put16(at + 2, v >> 16);
  };
  out[0] = 'B';
  out[1] = 'M';
  put32(2, static_cast<uint32_t>(out.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(image.Width));
  put32(22, static_cast<uint32_t>(image.Height));
  put16(26, 1);
  put16(28, 24);
  put32(34, static_cast<uint32_t>(pixels));
  for (int y = 0; y < image.Height; ++y) {
    char* row = out.data() + 54 + stride * static_cast<size_t>(image.Height - 1 - y);
    const uint8_t* p = image.Pixels.data() + static_cast<size_t>(y) * image.Width * 3;
    for (int x = 0; x < image.Width; ++x, p += 3) {
      row[3 * x] = static_cast<char>(p[2]);
      row[3 * x + 1] = static_cast<char>(p[1]);
      row[3 * x + 2] = static_cast<char>(p[0]);
    }
  }
  return out;
}

std::string ReadPictureFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Exception("Cannot open the picture " + path.string());
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw Exception("Cannot read the picture " + path.string());
  return bytes;
}

}  // namespace verimo
