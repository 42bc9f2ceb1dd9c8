#include "engine/TesselDatabase.h"

#include "engine/TesselStream.h"

namespace verimo {

TTesselDatabase::TTesselDatabase() {
  published_.Captions = true;
  published_.ColumnsLength = true;
  published_.Formats = true;
  published_.UserFormats = true;
}

void TTesselDatabase::Execute() {
  // The writer needs a stream to exist; whatever it might write is dropped.
  TNullStream noTarget;
  ExportToStream(noTarget);
  ShowResult();
}

void TTesselDatabase::ShowResult() {}

}  // namespace verimo
