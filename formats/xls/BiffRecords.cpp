#include "formats/xls/BiffRecords.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "core/Exception.h"

namespace verimo {

void TbiffMemorySink::WriteBytes(const void* data, size_t size) {
  bytes_.append(static_cast<const char*>(data), size);
}

uint8_t* TbiffBuffer::Reserve(size_t size) {
  if (size > data_.size() - length_) throw Exception("A record outgrew its buffer");
  uint8_t* at = data_.data() + length_;
  length_ += size;
  return at;
}

TbiffBuffer& TbiffBuffer::Put8(uint8_t value) {
  *Reserve(1) = value;
  return *this;
}

TbiffBuffer& TbiffBuffer::Put16(uint16_t value) {
  uint8_t* at = Reserve(2);
  at[0] = static_cast<uint8_t>(value & 0xFF);
  at[1] = static_cast<uint8_t>(value >> 8);
  return *this;
}

TbiffBuffer& TbiffBuffer::Put32(uint32_t value) {
  uint8_t* at = Reserve(4);
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>((value >> (8 * i)) & 0xFF);
  return *this;
}

TbiffBuffer& TbiffBuffer::PutDouble(double value) {
  const uint64_t bits = std::bit_cast<uint64_t>(value);
  uint8_t* at = Reserve(8);
  for (int i = 0; i < 8; ++i) at[i] = static_cast<uint8_t>((bits >> (8 * i)) & 0xFF);
  return *this;
}

TbiffBuffer& TbiffBuffer::PutZeros(size_t count) {
  std::memset(Reserve(count), 0, count);
  return *this;
}

TbiffBuffer& TbiffBuffer::PutBytes(const void* data, size_t size) {
  if (size > 0) std::memcpy(Reserve(size), data, size);
  return *this;
}

TbiffBuffer& TbiffBuffer::PutUtf16(WideStringView text) {
  uint8_t* at = Reserve(text.size() * 2);
  for (char16_t unit : text) {
    *at++ = static_cast<uint8_t>(unit & 0xFF);
    *at++ = static_cast<uint8_t>(unit >> 8);
  }
  return *this;
}

void TbiffBuffer::Set16(size_t at, uint16_t value) {
  if (at + 2 > length_) throw Exception("A record field lies outside its record");
  data_[at] = static_cast<uint8_t>(value & 0xFF);
  data_[at + 1] = static_cast<uint8_t>(value >> 8);
}

void TbiffBuffer::WriteRecord(TbiffSink& sink, uint16_t id) const {
  WriteRecordHeader(sink, id, static_cast<uint16_t>(length_));
  if (length_ > 0) sink.WriteBytes(data_.data(), length_);
}

void WriteRecordHeader(TbiffSink& sink, uint16_t id, uint16_t length) {
  const uint8_t header[4] = {static_cast<uint8_t>(id & 0xFF), static_cast<uint8_t>(id >> 8),
                             static_cast<uint8_t>(length & 0xFF), static_cast<uint8_t>(length >> 8)};
  sink.WriteBytes(header, sizeof header);
}

void WriteEmptyRecord(TbiffSink& sink, uint16_t id) { WriteRecordHeader(sink, id, 0); }

void WriteWordRecord(TbiffSink& sink, uint16_t id, uint16_t value) {
  WriteRecordHeader(sink, id, 2);
  const uint8_t data[2] = {static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>(value >> 8)};
  sink.WriteBytes(data, sizeof data);
}

size_t TbiffRecord::GetTotalSize() const {
  return GetDataSize() + 4 + (chained_ ? chained_->GetTotalSize() : 0);
}

void TbiffRecord::SaveToStream(TbiffSink& sink) const {
  const size_t size = GetDataSize();
  size_t piece = std::min(size, biff::kContinuePiece);
  WriteRecordHeader(sink, id_, static_cast<uint16_t>(piece));
  size_t at = 0;
  while (piece > 0) {
    sink.WriteBytes(data_.data() + at, piece);
    at += piece;
    piece = std::min(size - at, biff::kContinuePiece);
    if (piece > 0) WriteRecordHeader(sink, biff::kContinue, static_cast<uint16_t>(piece));
  }
  if (chained_) chained_->SaveToStream(sink);
}

void TbiffRecord::ClearData() { std::fill(data_.begin(), data_.end(), 0); }

void Store16(std::vector<uint8_t>& data, size_t at, uint16_t value) {
  data.at(at + 1) = static_cast<uint8_t>(value >> 8);
  data[at] = static_cast<uint8_t>(value & 0xFF);
}

void Store32(std::vector<uint8_t>& data, size_t at, uint32_t value) {
  data.at(at + 3) = static_cast<uint8_t>(value >> 24);
  for (int i = 0; i < 3; ++i) data[at + static_cast<size_t>(i)] = static_cast<uint8_t>((value >> (8 * i)) & 0xFF);
}

WideString CutText(WideStringView text, size_t units) {
  if (text.size() <= units) return WideString(text);
  size_t end = units;
  if (end > 0 && text[end - 1] >= 0xD800 && text[end - 1] <= 0xDBFF) --end;
  return WideString(text.substr(0, end));
}

WideString SafeSheetTitle(WideStringView title) {
  WideString safe = CutText(title, 31);
  for (char16_t& ch : safe)
    if (WideStringView(u"[]:*?/\\").find(ch) != WideStringView::npos) ch = u'_';
  if (Trim(safe).empty()) safe = u"Sheet";
  return safe;
}

}  // namespace verimo
