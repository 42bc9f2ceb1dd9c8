#include "formats/xls/XlsPictureStore.h"

#include <filesystem>
#include <system_error>

#include "core/Exception.h"
#include "formats/xls/MsoDrawing.h"

namespace verimo::xls {

namespace fs = std::filesystem;

namespace {

// The BLIP type (5 JPEG, 6 PNG, 7 DIB) and the bytes stored for a picture
// file; GIF pictures are stored as PNG (BIFF8 holds no GIF). Type 0: none.
std::pair<uint8_t, std::string> StoredForm(std::string bytes, TPictureFormat format) {
  switch (format) {
    case TPictureFormat::Jpeg: return {5, std::move(bytes)};
    case TPictureFormat::Png: return {6, std::move(bytes)};
    case TPictureFormat::Bmp: return {7, bytes.substr(14)};
    case TPictureFormat::Gif: return {6, EncodePng(DecodePicture(bytes))};
    default: return {0, {}};
  }
}

std::string GraphicBytes(const TxlsGraphic& graphic) {
  if (!graphic.Stream.empty()) return graphic.Stream;
  std::error_code ec;
  if (graphic.FileName.empty() || !fs::is_regular_file(graphic.FileName, ec)) return {};
  try {
    return ReadPictureFile(graphic.FileName);
  } catch (const Exception&) {
    return {};
  }
}

}  // namespace

void TxlsPictureStore::Prepare(const TxlsPictures& pictures, const std::vector<const TxlsImages*>& images) {
  for (const TxlsPicture& picture : pictures) {
    TxlsPictures::CheckName(picture.Name);
    std::string bytes = GraphicBytes(picture);
    TPictureInfo info = ReadPictureInfo(bytes);
    if (!picture.Stream.empty() && picture.Width > 0 && picture.Height > 0) {
      info.Width = picture.Width;
      info.Height = picture.Height;
    }
    std::pair<uint8_t, std::string> stored{0, {}};
    try {
      stored = StoredForm(std::move(bytes), info.Format);
    } catch (const Exception&) {
      stored.first = 0;
    }
    sizes_.push_back(info);
    if (stored.first == 0) {
      blipOfPicture_.push_back(-1);
      continue;
    }
    TxlsStoredPicture entry;
    entry.Type = stored.first;
    entry.Data = std::move(stored.second);
    for (const TxlsImages* sheetImages : images)
      for (const TxlsImage& image : *sheetImages)
        if (SameText(image.PictureName, picture.Name)) ++entry.References;
    stored_.push_back(std::move(entry));
    blipOfPicture_.push_back(static_cast<int>(stored_.size()));
  }
}

std::string BackgroundBitmap(const TxlsGraphic& background) {
  TRgbImage image;
  try {
    if (!background.Stream.empty()) {
      image = DecodePicture(background.Stream);
    } else {
      const TxlsGraphicKind kind = background.Kind();
      if (kind != TxlsGraphicKind::Jpeg && kind != TxlsGraphicKind::Gif && kind != TxlsGraphicKind::Bmp) return {};
      const std::string bytes = GraphicBytes(background);
      if (bytes.empty()) return {};
      image = DecodePicture(bytes);
    }
  } catch (const Exception&) {
    return {};
  }
  const std::string bitmap = EncodeBmp24(image);
  const size_t pixels = static_cast<uint8_t>(bitmap[10]) | static_cast<size_t>(static_cast<uint8_t>(bitmap[11])) << 8;
  TmsoBytes data;
  const size_t size = bitmap.size() - pixels;
  data.Put16(9).Put16(1).Put32(static_cast<uint32_t>(size + 12));
  data.Put32(12).Put16(static_cast<uint16_t>(image.Width)).Put16(static_cast<uint16_t>(image.Height)).Put16(1).Put16(24);
  data.PutBytes(std::string_view(bitmap).substr(pixels));
  return std::move(data.Bytes());
}

}  // namespace verimo::xls
