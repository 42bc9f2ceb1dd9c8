#include "engine/TesselTypes.h"

namespace verimo {

WideString SourceKindName(TTesselSource kind) {
  switch (kind) {
    case esDataSet: return u"DataSet";
    case esListView: return u"ListView";
    case esDBGrid: return u"DBGrid";
    case esStringGrid: return u"StringGrid";
    case esCustom: return u"CustomSource";
  }
  return u"";
}

WideString ColTypeName(TTesselColType type) {
  switch (type) {
    case ectInteger:
    case ectBigint: return u"Integer";
    case ectFloat: return u"Float";
    case ectCurrency: return u"Currency";
    case ectDate: return u"Date";
    case ectTime: return u"Time";
    case ectDateTime: return u"DateTime";
    case ectString: return u"String";
    case ectBoolean: return u"Boolean";
    case ectUnknown: return u"Unknown";
  }
  return u"Unknown";
}

// Points = pixels * 72 / 96, rounded half away from zero.
int TTesselFont::Size() const {
  const int pixels = Height < 0 ? -Height : Height;
  return (pixels * 72 + 48) / 96;
}

void TTesselFont::SetSize(int points) { Height = -((points * 96 + 36) / 72); }

}  // namespace verimo
