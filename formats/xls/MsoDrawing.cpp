#include "formats/xls/MsoDrawing.h"

#include <bit>

namespace verimo {

TmsoBytes& TmsoBytes::Put8(uint8_t value) {
  bytes_ += static_cast<char>(value);
  return *this;
}

TmsoBytes& TmsoBytes::Put16(uint16_t value) { return Put8(static_cast<uint8_t>(value & 0xFF)).Put8(static_cast<uint8_t>(value >> 8)); }

TmsoBytes& TmsoBytes::Put32(uint32_t value) {
  return Put16(static_cast<uint16_t>(value & 0xFFFF)).Put16(static_cast<uint16_t>(value >> 16));
}

TmsoBytes& TmsoBytes::PutDouble(double value) {
  const uint64_t bits = std::bit_cast<uint64_t>(value);
  return Put32(static_cast<uint32_t>(bits & 0xFFFFFFFF)).Put32(static_cast<uint32_t>(bits >> 32));
}

TmsoBytes& TmsoBytes::PutZeros(size_t count) {
  bytes_.append(count, '\0');
  return *this;
}

TmsoBytes& TmsoBytes::PutBytes(std::string_view bytes) {
  bytes_ += bytes;
  return *this;
}

TmsoBytes& TmsoBytes::PutUtf16(WideStringView text) {
  for (char16_t unit : text) Put16(unit);
  return *this;
}

void TmsoObject::WriteHeader(std::string& out, size_t length) const {
  TmsoBytes header;
  header.Put16(static_cast<uint16_t>((instance_ << 4) | (version_ & 0x0F))).Put16(type_).Put32(static_cast<uint32_t>(length));
  out += header.Bytes();
}

void TmsoObject::WriteTo(std::string& out) const {
  WriteHeader(out, DataSize());
  WriteData(out);
}

TmsoObject& TmsoContainer::Add(std::unique_ptr<TmsoObject> child) {
  children_.push_back(std::move(child));
  return *children_.back();
}

size_t TmsoContainer::DataSize() const {
  size_t size = 0;
  for (const auto& child : children_) size += child->GetSize();
  return size;
}

void TmsoContainer::WriteData(std::string& out) const {
  for (const auto& child : children_) child->WriteTo(out);
}

TmsoOPT& TmsoOPT::Add(uint16_t id, uint32_t value) {
  properties_.emplace_back(id, value);
  return *this;
}

TmsoOPT& TmsoOPT::AddText(uint16_t id, WideStringView text) {
  TmsoBytes bytes;
  bytes.PutUtf16(text).Put16(0);
  properties_.emplace_back(id, static_cast<uint32_t>(bytes.Size()));
  complex_ += bytes.Bytes();
  return *this;
}

size_t TmsoOPT::DataSize() const { return properties_.size() * 6 + complex_.size(); }

void TmsoOPT::WriteTo(std::string& out) const {
  TmsoBytes header;
  header.Put16(static_cast<uint16_t>((properties_.size() << 4) | 3)).Put16(0xF00B).Put32(static_cast<uint32_t>(DataSize()));
  out += header.Bytes();
  WriteData(out);
}

void TmsoOPT::WriteData(std::string& out) const {
  TmsoBytes table;
  for (const auto& [id, value] : properties_) table.Put16(id).Put32(value);
  out += table.Bytes();
  out += complex_;
}

namespace mso {

std::unique_ptr<TmsoObject> Dg(uint16_t drawingId, uint32_t shapeCount, uint32_t lastShapeId) {
  TmsoBytes data;
  data.Put32(shapeCount).Put32(lastShapeId);
  return std::make_unique<TmsoLeaf>(0xF008, 0, drawingId, std::move(data.Bytes()));
}

std::unique_ptr<TmsoObject> Spgr() { return std::make_unique<TmsoLeaf>(0xF009, 1, 0, std::string(16, '\0')); }

std::unique_ptr<TmsoObject> Sp(uint16_t shapeType, uint32_t shapeId, uint32_t flags) {
  TmsoBytes data;
  data.Put32(shapeId).Put32(flags);
  return std::make_unique<TmsoLeaf>(0xF00A, 2, shapeType, std::move(data.Bytes()));
}

std::unique_ptr<TmsoObject> ClientAnchor(const TAnchor& a) {
  TmsoBytes data;
  data.Put16(a.Flags).Put16(a.FirstCol).Put16(a.FirstColOffset).Put16(a.FirstRow).Put16(a.FirstRowOffset);
  data.Put16(a.LastCol).Put16(a.LastColOffset).Put16(a.LastRow).Put16(a.LastRowOffset);
  return std::make_unique<TmsoLeaf>(0xF010, 0, 0, std::move(data.Bytes()));
}

std::unique_ptr<TmsoObject> ClientData() { return std::make_unique<TmsoLeaf>(0xF011, 0, 0, std::string()); }
std::unique_ptr<TmsoObject> ClientTextBox() { return std::make_unique<TmsoLeaf>(0xF00D, 0, 0, std::string()); }

}  // namespace mso

}  // namespace verimo
