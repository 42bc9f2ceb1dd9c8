#include "formats/database/TesselDBFWriter.h"

#include "core/Exception.h"
#include "engine/Tessel.h"
#include "formats/text/TesselASCII.h"
#include "platform/codepage/CodePage.h"

namespace verimo {

namespace {

int OutputCodePage(TTesselOutputEncoding encoding) {
  switch (encoding) {
    case oeAnsi: return SystemCodePage(TSystemCodePage::Ansi);
    case oeOem: return SystemCodePage(TSystemCodePage::Oem);
    case oeMac: return SystemCodePage(TSystemCodePage::Mac);
    case oeUTF8: return TTesselDBFWriter::kUtf8CodePage;
    default:
      throw Exception("dBASE tables are written in a code page or in UTF-8, not in UTF-16 or UTF-32");
  }
}

bool IsMultiByteCodePage(int codePage) {
  return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 || codePage == 1361;
}

void PutUInt32(TStream& stream, uint32_t value) {
  const char bytes[4] = {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                         static_cast<char>((value >> 16) & 0xFF), static_cast<char>((value >> 24) & 0xFF)};
  stream.Write(bytes, sizeof bytes);
}

}  // namespace

TTesselDBFWriter::TTesselDBFWriter(TTessel* owner, TStream* stream)
    : TTesselWriter(owner, stream),
      codePage_(OutputCodePage(owner ? owner->OutputEncoding() : oeUTF8)),
      multiByte_(IsMultiByteCodePage(codePage_)) {
  if (!IsUtf8()) encoder_ = std::make_unique<TSingleByteEncoder>(codePage_);
}

TTesselDBFWriter::~TTesselDBFWriter() = default;

void TTesselDBFWriter::Encode(WideStringView text, std::string& out) {
  if (encoder_) {
    encoder_->Encode(text, out);
    return;
  }
  out.clear();
  EncodeText(text, oeUTF8, out);
}

void TTesselDBFWriter::AppendText(std::string& record, WideStringView text, int length) {
  Encode(text, encoded_);
  if (multiByte_ && encoded_.size() > static_cast<size_t>(length)) FitMultiByte(text, length, encoded_);
  dbf::AppendCharacter(record, encoded_, length, IsUtf8());
}

void TTesselDBFWriter::FitMultiByte(WideStringView text, int length, std::string& encoded) {
  // Each character takes at least one byte, so no longer prefix can fit.
  size_t units = std::min(text.size(), static_cast<size_t>(length));
  for (; units > 0; --units) {
    if (units < text.size() && text[units] >= 0xDC00 && text[units] <= 0xDFFF) continue;
    Encode(text.substr(0, units), encoded);
    if (encoded.size() <= static_cast<size_t>(length)) return;
  }
  encoded.clear();
}

int TTesselDBFWriter::RecordLength() const {
  int length = 1;
  for (const dbf::TDBFField& field : Fields) length += field.Length;
  return length;
}

void TTesselDBFWriter::WriteTableHeader(bool withMemo, DateParts today) {
  TStream& stream = *Stream();
  tableStart_ = stream.Position();
  const uint8_t driver = IsUtf8() ? 0 : dbf::LanguageDriverOf(codePage_);
  std::string bytes = dbf::HeaderBytes(withMemo ? dbf::kVersionWithMemo : dbf::kVersionPlain, today, 0,
                                       static_cast<int>(Fields.size()), RecordLength(), driver);
  for (const dbf::TDBFField& field : Fields) bytes += dbf::DescriptorBytes(field);
  bytes += dbf::kHeaderEnd;
  WriteBytes(bytes.data(), bytes.size());
}

void TTesselDBFWriter::CreateMemoFile(const std::filesystem::path& fileName) {
  memo_ = std::make_unique<TFileStream>(fileName, TFileStream::TMode::Create);
  const std::string header(dbf::kMemoBlockSize, '\0');
  memo_->Write(header.data(), header.size());
  nextBlock_ = 1;
}

uint32_t TTesselDBFWriter::AppendMemo(std::string_view bytes) {
  const uint32_t block = nextBlock_;
  memo_->Write(dbf::MemoBlocks(bytes));
  nextBlock_ += dbf::MemoBlockCount(bytes.size());
  return block;
}

void TTesselDBFWriter::WriteRecord(std::string_view record) {
  WriteBytes(record.data(), record.size());
  ++records_;
}

void TTesselDBFWriter::Finish() {
  if (finished_) return;
  finished_ = true;
  TStream& stream = *Stream();
  const char end = dbf::kFileEnd;
  WriteBytes(&end, 1);
  const int64_t endPosition = stream.Position();
  stream.SetPosition(tableStart_ + 4);
  PutUInt32(stream, records_);
  stream.SetPosition(endPosition);
  if (memo_) {
    memo_->SetPosition(0);
    PutUInt32(*memo_, nextBlock_);
    memo_->Close();
  }
}

}  // namespace verimo
