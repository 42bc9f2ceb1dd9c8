#pragma once

#include <string>
#include <vector>

#include "formats/xls/XlsItems.h"
#include "formats/xls/XlsSheetItems.h"
#include "platform/images/Picture.h"

namespace verimo::xls {

// The workbook's pictures as its drawing group stores them. Every picture
// goes into the store once, in collection order, when its bytes are of a
// kind the store holds; the others are left out and images that show them
// are not written.
class TxlsPictureStore {
 public:
  // Fails for a picture without a name. `images` are those of every sheet
  // written: each counts as a reference to the picture it shows.
  void Prepare(const TxlsPictures& pictures, const std::vector<const TxlsImages*>& images);

  // The 1-based store position of the picture at 1-based `position` of the
  // collection; -1 when it is not stored.
  int BlipOf(int position) const { return blipOfPicture_[static_cast<size_t>(position - 1)]; }
  // Its size in pixels.
  const TPictureInfo& SizeOf(int position) const { return sizes_[static_cast<size_t>(position - 1)]; }
  const std::vector<TxlsStoredPicture>& Stored() const { return stored_; }

 private:
  std::vector<TxlsStoredPicture> stored_;
  std::vector<int> blipOfPicture_;
  std::vector<TPictureInfo> sizes_;
};

// The BITMAP data of a sheet background: a picture stream as it is, or a
// file of a kind the platform loads, redrawn as 24-bit pixels. Empty when
// there is none or it cannot be read.
std::string BackgroundBitmap(const TxlsGraphic& background);

}  // namespace verimo::xls
