#include "dialog/TesselDialogOptions.h"

#include "platform/locale/Formatting.h"

namespace verimo {

TTesselCSVOptions::TTesselCSVOptions() {
  const char16_t listSeparator = GlobalFormatSettings().ListSeparator;
  Comma = listSeparator != 0 ? listSeparator : u',';
}

}  // namespace verimo
