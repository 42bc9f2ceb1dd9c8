#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "formats/text/TesselHTMLOptions.h"
#include "core/WideString.h"

namespace verimo {

// One page file of a paged export and where its navigation bars go.
struct THTMLPageOption {
  std::filesystem::path FileName;
  int64_t TopInsertion = -1;     // byte offset after "<BODY>"
  int64_t BottomInsertion = -1;  // byte offset after the footer lines
};

namespace html {

// The links of one navigation bar.
struct TNavigationLinks {
  WideString IndexHref;               // empty: no index link
  std::vector<WideString> PageHrefs;  // one per page, in page order
};

// The bar of page `page` (from 1) as lines ended by CR LF; the bottom bar
// starts with "<br>", the top bar ends with one.
WideString NavigationBar(const TTesselHTMLNavigation& navigation, const TNavigationLinks& links, int page, bool bottom);

// Writes `top` at byte offset `topAt` and `bottom` at `bottomAt` of an
// existing file (offsets in the file as it is, bottomAt >= topAt; -1 skips
// a bar), moving what follows each point along.
void InsertIntoFile(const std::filesystem::path& file, int64_t topAt, std::string_view top, int64_t bottomAt,
                    std::string_view bottom);

}  // namespace html

}  // namespace verimo
