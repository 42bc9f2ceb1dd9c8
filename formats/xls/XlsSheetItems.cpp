#include "formats/xls/XlsSheetItems.h"

#include <algorithm>

#include "core/Exception.h"
#include "core/NonCopyable.h"

namespace verimo::xls {

namespace {

constexpr size_t kMaxMergedPerRecord = 1027;
constexpr size_t kMaxNoteText = 32767;
constexpr size_t kNoteTextPiece = (biff::kMaxRecordData - 1) / 2;  // characters per CONTINUE
constexpr size_t kMaxLinkTitle = 255;
constexpr size_t kMaxLinkTarget = 2079;
constexpr size_t kMaxScreenTip = 255;
constexpr size_t kMaxShapeTitle = 255;
constexpr uint16_t kLastRow = TxlsWorkbook::kMaxRows - 1;
constexpr uint16_t kLastCol = TxlsWorkbook::kMaxColumns - 1;

void WriteBytesRecord(TbiffSink& sink, uint16_t id, const std::string& data) {
  if (data.size() > biff::kMaxRecordData) throw Exception("A record outgrew its buffer");
  WriteRecordHeader(sink, id, static_cast<uint16_t>(data.size()));
  if (!data.empty()) sink.WriteBytes(data.data(), data.size());
}

void WriteBytesRecord(TbiffSink& sink, uint16_t id, const TmsoBytes& data) { WriteBytesRecord(sink, id, data.Bytes()); }

// Cells written while this lives leave the sheet's extents as they are.
class TFrozenExtents : private TNonCopyable {
 public:
  explicit TFrozenExtents(TxlsWorkbook& workbook) : workbook_(workbook) { workbook_.FreezeExtents(true); }
  ~TFrozenExtents() { workbook_.FreezeExtents(false); }

 private:
  TxlsWorkbook& workbook_;
};

uint16_t Clamp(int value, int last) { return static_cast<uint16_t>(std::clamp(value, 0, last)); }

// A 16-byte class id from its text form's fields.
void PutClassId(TmsoBytes& bytes, uint32_t a, uint16_t b, uint16_t c, std::initializer_list<uint8_t> rest) {
  bytes.Put32(a).Put16(b).Put16(c);
  for (uint8_t byte : rest) bytes.Put8(byte);
}

// The 8-bit form of a local path (characters beyond ASCII become "_").
std::string NarrowPath(WideStringView path) {
  std::string narrow;
  for (char16_t ch : path) narrow += ch < 0x80 ? static_cast<char>(ch) : '_';
  return narrow;
}

std::string HyperlinkData(const TxlsHyperlink& link) {
  const WideString title = CutText(link.Title, kMaxLinkTitle);
  const WideString target = CutText(link.Target, kMaxLinkTarget);
  const uint16_t row = static_cast<uint16_t>(link.Row - 1);
  const uint16_t col = static_cast<uint16_t>(link.Col - 1);
  TmsoBytes data;
  data.Put16(row).Put16(row).Put16(col).Put16(col);
  PutClassId(data, 0x79EAC9D0, 0xBAF9, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B});
  data.Put32(2).Put32(0x17);
  data.Put32(static_cast<uint32_t>(title.size() + 1)).PutUtf16(title).Put16(0);
  if (link.Style == hlsURL) {
    PutClassId(data, 0x79EAC9E0, 0xBAF9, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B});
    data.Put32(static_cast<uint32_t>(2 * target.size() + 2)).PutUtf16(target).Put16(0);
  } else {
    PutClassId(data, 0x00000303, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46});
    const std::string narrow = NarrowPath(target);
    data.Put16(0).Put32(static_cast<uint32_t>(narrow.size() + 1)).PutBytes(narrow).Put8(0);
    data.Put16(0xFFFF).Put16(0xDEAD).PutZeros(20);
    data.Put32(static_cast<uint32_t>(2 * target.size() + 6)).Put32(static_cast<uint32_t>(2 * target.size())).Put16(3);
    data.PutUtf16(target);
  }
  return std::move(data.Bytes());
}

std::string TooltipData(const TxlsHyperlink& link) {
  const WideString tip = CutText(link.ScreenTip, kMaxScreenTip);
  const uint16_t row = static_cast<uint16_t>(link.Row - 1);
  const uint16_t col = static_cast<uint16_t>(link.Col - 1);
  TmsoBytes data;
  data.Put16(biff::kHLinkTooltip).Put16(row).Put16(row).Put16(col).Put16(col).PutUtf16(tip).Put16(0);
  return std::move(data.Bytes());
}

// ---- drawing ----

void PutHeader(TmsoBytes& bytes, uint16_t type, size_t length, uint16_t instance = 0, uint8_t version = 15) {
  bytes.Put16(static_cast<uint16_t>((instance << 4) | version)).Put16(type).Put32(static_cast<uint32_t>(length));
}

// The note's fill properties.
void AddNoteFill(TmsoOPT& opt, const TxlsNoteFormat& format) {
  const bool transparent = format.Transparency != 0;
  const uint32_t opacity = static_cast<uint32_t>(65537 - 656 * std::clamp(format.Transparency, 0, 100));
  if (format.FillType == nftSolid) {
    opt.Add(0x0181, format.ForegroundColor);
    if (transparent) opt.Add(0x0182, opacity);
    return;
  }
  const uint32_t fillType = format.Gradient == ngrFromCorner ? 5 : format.Gradient == ngrFromCenter ? 6 : 7;
  opt.Add(0x0180, fillType).Add(0x0181, format.ForegroundColor);
  if (transparent) opt.Add(0x0182, opacity);
  opt.Add(0x0183, format.BackgroundColor);
  switch (format.Gradient) {
    case ngrVertical: opt.Add(0x018B, 0xFFA60000); break;
    case ngrDiagonalUp: opt.Add(0x018B, 0xFF790000); break;
    case ngrDiagonalDown:
    case ngrFromCorner:
    case ngrFromCenter: opt.Add(0x018B, 0xFFD30000); break;
    default: break;
  }
  opt.Add(0x018C, 100);
  if (format.Gradient == ngrFromCenter)
    for (uint16_t id : {0x018D, 0x018E, 0x018F, 0x0190}) opt.Add(id, 0x8000);
  opt.Add(0x0196, 0x009D0000);
}

mso::TAnchor NoteAnchor(const TxlsNote& note) {
  mso::TAnchor anchor;
  anchor.Flags = 3;
  anchor.FirstCol = Clamp(note.Col, kLastCol - 2);
  anchor.FirstRow = Clamp(note.Row < 3 ? 0 : note.Row - 2, kLastRow - 5);
  anchor.LastCol = static_cast<uint16_t>(anchor.FirstCol + 2);
  anchor.LastRow = static_cast<uint16_t>(anchor.FirstRow + 5);
  return anchor;
}

// One shape's SpContainer; `extra` is the length of children written in
// records of their own after it.
std::string ShapeContainer(uint16_t shapeType, uint32_t shapeId, TmsoOPT& opt, const mso::TAnchor& anchor, size_t extra) {
  std::string body;
  mso::Sp(shapeType, shapeId, 0x00000A00)->WriteTo(body);
  opt.WriteTo(body);
  mso::ClientAnchor(anchor)->WriteTo(body);
  mso::ClientData()->WriteTo(body);
  TmsoBytes container;
  PutHeader(container, mso::kSpContainer, body.size() + extra);
  return container.Bytes() + body;
}

TmsoBytes CommonObject(uint16_t objectType, uint16_t id) {
  TmsoBytes obj;
  obj.Put16(0x0015).Put16(18).Put16(objectType).Put16(id).Put16(0x0011).PutZeros(12);
  return obj;
}

uint16_t TxoOptions(const TxlsAlignment& alignment) {
  uint16_t options = 0x0002;
  switch (alignment.Horizontal) {
    case halCenter: options = 0x0004; break;
    case halRight: options = 0x0006; break;
    case halFill: options = 0x0008; break;
    default: break;
  }
  static constexpr uint16_t kVertical[] = {0x0010, 0x0020, 0x0030, 0x0040};
  return static_cast<uint16_t>(options | kVertical[std::min<int>(alignment.Vertical, 3)]);
}

void WriteNoteObjects(TbiffSink& sink, const TxlsNoteShape& shape, uint16_t number) {
  TmsoBytes obj = CommonObject(0x0019, number);
  obj.Put16(0x000D).Put16(22).PutZeros(22);
  obj.Put16(0).Put16(0);
  WriteBytesRecord(sink, biff::kObj, obj);
  std::string textBox;
  mso::ClientTextBox()->WriteTo(textBox);
  WriteBytesRecord(sink, biff::kMsoDrawing, textBox);
  const WideString text = CutText(shape.Note->Text(), kMaxNoteText);
  TmsoBytes txo;
  txo.Put16(TxoOptions(shape.Note->Format.Alignment)).Put16(shape.Note->Format.Orientation).PutZeros(6);
  txo.Put16(static_cast<uint16_t>(text.size())).Put16(16).PutZeros(4);
  WriteBytesRecord(sink, biff::kTxo, txo);
  for (size_t at = 0; at < text.size();) {
    size_t piece = std::min(kNoteTextPiece, text.size() - at);
    if (at + piece < text.size() && text[at + piece - 1] >= 0xD800 && text[at + piece - 1] <= 0xDBFF) --piece;
    TmsoBytes data;
    data.Put8(1).PutUtf16(WideStringView(text).substr(at, piece));
    WriteBytesRecord(sink, biff::kContinue, data);
    at += piece;
  }
  TmsoBytes runs;
  runs.Put16(0).Put16(shape.FontIndex).PutZeros(4);
  runs.Put16(static_cast<uint16_t>(text.size())).Put16(0).PutZeros(4);
  WriteBytesRecord(sink, biff::kContinue, runs);
}

void WriteImageObject(TbiffSink& sink, uint16_t number) {
  TmsoBytes obj = CommonObject(0x0008, number);
  obj.Put16(0x0007).Put16(2).Put16(0xFFFF);  // clipboard format: none given
  obj.Put16(0x0008).Put16(2).Put16(0x0000);  // picture options
  obj.Put16(0).Put16(0);
  WriteBytesRecord(sink, biff::kObj, obj);
}

void WriteChartObject(TbiffSink& sink, uint16_t number) {
  TmsoBytes obj = CommonObject(0x0005, number);
  obj.Put16(0).Put16(0);
  WriteBytesRecord(sink, biff::kObj, obj);
}

struct TShapeEntry {
  std::string container;  // the SpContainer's own record
  size_t extra = 0;       // bytes of it written in later records
};

}  // namespace

void WritePresetCells(TxlsWorkbook& workbook, const TxlsCells& cells, const TxlsFont& dataFont,
                      WideStringView defaultDateTimeFormat) {
  TFrozenExtents frozen(workbook);
  TxlsFormatTables& tables = workbook.Formats();
  for (const TxlsCell& cell : cells) {
    if (!cell.IsValid() || cell.Col > TxlsWorkbook::kMaxColumns) continue;
    const int row = cell.Row - 1;
    const int col = cell.Col - 1;
    switch (cell.CellType) {
      case ctBoolean:
        workbook.WriteBoolean(row, col, tables.GetXFIndex(u"General", &cell.Format, dataFont), cell.BooleanValue);
        break;
      case ctDateTime: {
        const WideStringView pattern = cell.DateTimeFormat.empty() ? defaultDateTimeFormat : WideStringView(cell.DateTimeFormat);
        workbook.WriteNumber(row, col, tables.GetXFIndex(pattern, &cell.Format, dataFont), cell.DateTimeValue);
        break;
      }
      case ctNumeric:
        workbook.WriteNumber(row, col, tables.GetXFIndex(cell.NumericFormat, &cell.Format, dataFont), cell.NumericValue);
        break;
      default: {
        const uint16_t xf = tables.GetXFIndex(u"General", &cell.Format, dataFont);
        if (cell.StringValue.empty())
          workbook.WriteBlank(row, col, xf);
        else
          workbook.WriteText(row, col, xf, CutText(cell.StringValue, 32767));
        break;
      }
    }
  }
}

void WriteMergedCells(TbiffSink& sink, const TxlsMergedCellList& ranges) {
  std::vector<TxlsMergedCells> valid;
  for (const TxlsMergedCells& range : ranges)
    if (range.IsValid() && std::min(range.FirstCol, range.LastCol) <= TxlsWorkbook::kMaxColumns) valid.push_back(range);
  for (size_t start = 0; start < valid.size(); start += kMaxMergedPerRecord) {
    const size_t count = std::min(kMaxMergedPerRecord, valid.size() - start);
    TmsoBytes data;
    data.Put16(static_cast<uint16_t>(count));
    for (size_t i = start; i < start + count; ++i) {
      const TxlsMergedCells& r = valid[i];
      data.Put16(Clamp(std::min(r.FirstRow, r.LastRow) - 1, kLastRow)).Put16(Clamp(std::max(r.FirstRow, r.LastRow) - 1, kLastRow));
      data.Put16(Clamp(std::min(r.FirstCol, r.LastCol) - 1, kLastCol)).Put16(Clamp(std::max(r.FirstCol, r.LastCol) - 1, kLastCol));
    }
    WriteBytesRecord(sink, biff::kMergedCells, data);
  }
}

void WriteHyperlinkCells(TxlsWorkbook& workbook, const TxlsHyperlinks& links, const TxlsFont& dataFont) {
  for (const TxlsHyperlink& link : links) {
    if (!link.IsValid()) continue;
    const uint16_t xf = workbook.Formats().GetXFIndex(u"General", &link.Format, dataFont);
    workbook.WriteText(link.Row - 1, link.Col - 1, xf, CutText(link.Title, 32767));
  }
}

void WriteHyperlinks(TbiffSink& sink, const TxlsHyperlinks& links) {
  for (const TxlsHyperlink& link : links) {
    if (!link.IsValid()) continue;
    WriteBytesRecord(sink, biff::kHLink, HyperlinkData(link));
    if (!link.ScreenTip.empty()) WriteBytesRecord(sink, biff::kHLinkTooltip, TooltipData(link));
  }
}

void WriteDrawing(TbiffSink& sink, uint16_t drawingId, const TxlsSheetDrawing& drawing) {
  const size_t count = drawing.ShapeCount();
  if (count == 0) return;
  const uint32_t base = 1024u * drawingId;
  std::vector<TShapeEntry> entries;
  uint32_t number = 0;
  for (const TxlsNoteShape& shape : drawing.Notes) {
    ++number;
    TmsoOPT opt;
    opt.Add(0x0080, number).Add(0x007D, 1).Add(0x00BF, 0x00080008).Add(0x0158, 0);
    AddNoteFill(opt, shape.Note->Format);
    opt.Add(0x01BF, 0x00110010).Add(0x0201, 0).Add(0x023F, 0x00030003).Add(0x03BF, shape.Note->Shown ? 0x000A0000 : 0x000A0002);
    entries.push_back({ShapeContainer(202, base + number, opt, NoteAnchor(*shape.Note), 8), 8});
  }
  for (const TxlsImageShape& shape : drawing.Images) {
    ++number;
    const WideString title = CutText(shape.Image->Title, kMaxShapeTitle);
    TmsoOPT opt;
    opt.Add(0x007F, 0x00800000).Add(0x4104, static_cast<uint32_t>(shape.Blip)).AddText(0xC105, title);
    opt.Add(0x01BF, 0x00010000).Add(0x033F, 0x00100000).AddText(0xC380, title).Add(0x03BF, 0x00080000);
    entries.push_back({ShapeContainer(75, base + number, opt, shape.Anchor, 0), 0});
  }
  for (const TxlsChartShape& shape : drawing.Charts) {
    ++number;
    TmsoOPT opt;
    opt.Add(0x007F, 0x01040104).Add(0x00BF, 0x00080008).Add(0x0181, 0x0800004E).Add(0x0183, 0x0800004D);
    opt.Add(0x01BF, 0x00100010).Add(0x01C0, 0x0800004D).Add(0x01FF, 0x00080008).Add(0x023F, 0x00020000);
    opt.Add(0x03BF, 0x00080000);
    entries.push_back({ShapeContainer(201, base + number, opt, shape.Anchor, 0), 0});
  }
  std::string group;
  mso::Spgr()->WriteTo(group);
  mso::Sp(0, base, 0x00000005)->WriteTo(group);
  TmsoBytes groupHeader;
  PutHeader(groupHeader, mso::kSpContainer, group.size());
  group = groupHeader.Bytes() + group;
  size_t shapesSize = group.size();
  for (const TShapeEntry& entry : entries) shapesSize += entry.container.size() + entry.extra;
  std::string dg;
  mso::Dg(drawingId, static_cast<uint32_t>(count + 1), base + static_cast<uint32_t>(count))->WriteTo(dg);
  TmsoBytes first;
  PutHeader(first, mso::kDgContainer, dg.size() + 8 + shapesSize);
  first.PutBytes(dg);
  PutHeader(first, mso::kSpgrContainer, shapesSize);
  first.PutBytes(group);

  number = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    ++number;
    const std::string record = i == 0 ? first.Bytes() + entries[i].container : entries[i].container;
    WriteBytesRecord(sink, biff::kMsoDrawing, record);
    if (i < drawing.Notes.size()) {
      WriteNoteObjects(sink, drawing.Notes[i], static_cast<uint16_t>(number));
    } else if (i < drawing.Notes.size() + drawing.Images.size()) {
      WriteImageObject(sink, static_cast<uint16_t>(number));
    } else {
      WriteChartObject(sink, static_cast<uint16_t>(number));
      WriteChartStream(sink, drawing.Charts[i - drawing.Notes.size() - drawing.Images.size()]);
    }
  }
}

void WriteNoteRecords(TbiffSink& sink, const TxlsSheetDrawing& drawing) {
  uint16_t number = 0;
  for (const TxlsNoteShape& shape : drawing.Notes) {
    ++number;
    TmsoBytes data;
    // An empty author: a 16-bit length 0, the option byte and a pad byte.
    data.Put16(static_cast<uint16_t>(shape.Note->Row - 1)).Put16(static_cast<uint16_t>(shape.Note->Col - 1));
    data.Put16(shape.Note->Shown ? 0x0002 : 0).Put16(number).Put16(0).Put8(0).Put8(0);
    WriteBytesRecord(sink, biff::kNote, data);
  }
}

std::string BuildDrawingGroup(const std::vector<size_t>& drawingShapes, const std::vector<TxlsStoredPicture>& pictures) {
  const size_t drawings = drawingShapes.size();
  size_t saved = 0;
  for (size_t shapes : drawingShapes) saved += shapes + 1;
  const size_t lastShapes = drawings == 0 ? 0 : drawingShapes.back();
  TmsoBytes dgg;
  dgg.Put32(static_cast<uint32_t>(1024 * drawings + lastShapes + 1)).Put32(static_cast<uint32_t>(drawings + 1));
  dgg.Put32(static_cast<uint32_t>(saved)).Put32(static_cast<uint32_t>(drawings));
  for (size_t k = 0; k < drawings; ++k) dgg.Put32(static_cast<uint32_t>(k + 1)).Put32(static_cast<uint32_t>(drawingShapes[k] + 1));
  TmsoContainer container(mso::kDggContainer);
  container.Add(std::make_unique<TmsoLeaf>(0xF006, 0, 0, std::move(dgg.Bytes())));
  if (!pictures.empty()) {
    auto store = std::make_unique<TmsoContainer>(mso::kBStoreContainer, static_cast<uint16_t>(pictures.size()));
    for (const TxlsStoredPicture& picture : pictures) {
      static constexpr uint16_t kBlipInstance[] = {0x046A, 0x06E0, 0x07A8};
      const uint16_t instance = kBlipInstance[std::clamp(picture.Type - 5, 0, 2)];
      TmsoBytes blip;
      PutHeader(blip, static_cast<uint16_t>(0xF018 + picture.Type), 17 + picture.Data.size(), instance, 0);
      blip.PutZeros(17).PutBytes(picture.Data);
      // The picture is embedded in its BSE record.
      TmsoBytes bse;
      bse.Put8(picture.Type).Put8(picture.Type).PutZeros(16).Put16(0x00FF);
      bse.Put32(static_cast<uint32_t>(blip.Size())).Put32(picture.References).Put32(0);
      bse.Put16(0).Put16(0x023E);
      bse.PutBytes(blip.Bytes());
      store->Add(std::make_unique<TmsoLeaf>(0xF007, 2, picture.Type, std::move(bse.Bytes())));
    }
    container.Add(std::move(store));
  }
  auto opt = std::make_unique<TmsoOPT>();
  opt->Add(0x00BF, 0x00080008).Add(0x0181, 0x08000009).Add(0x01C0, 0x08000040);
  container.Add(std::move(opt));
  TmsoBytes colors;
  colors.Put32(0x0800000D).Put32(0x0800000C).Put32(0x08000017).Put32(0x100000F7);
  container.Add(std::make_unique<TmsoLeaf>(0xF11E, 0, 4, std::move(colors.Bytes())));
  std::string out;
  container.WriteTo(out);
  return out;
}

}  // namespace verimo::xls
