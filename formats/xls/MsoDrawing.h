#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/NonCopyable.h"
#include "core/WideString.h"

namespace verimo {

// Little-endian bytes appended to a string.
class TmsoBytes {
 public:
  TmsoBytes& Put8(uint8_t value);
  TmsoBytes& Put16(uint16_t value);
  TmsoBytes& Put32(uint32_t value);
  TmsoBytes& PutDouble(double value);
  TmsoBytes& PutZeros(size_t count);
  TmsoBytes& PutBytes(std::string_view bytes);
  TmsoBytes& PutUtf16(WideStringView text);
  std::string& Bytes() { return bytes_; }
  const std::string& Bytes() const { return bytes_; }
  size_t Size() const { return bytes_.size(); }

 private:
  std::string bytes_;
};

// An Office drawing record: an 8-byte header (version and instance, type,
// data length) and its data.
class TmsoObject : private TNonCopyable {
 public:
  TmsoObject(uint16_t type, uint8_t version, uint16_t instance) : type_(type), version_(version), instance_(instance) {}
  virtual ~TmsoObject() = default;

  // The size with the header.
  virtual size_t GetSize() const { return 8 + DataSize(); }
  virtual void WriteTo(std::string& out) const;

 protected:
  virtual size_t DataSize() const = 0;
  virtual void WriteData(std::string& out) const = 0;
  void WriteHeader(std::string& out, size_t length) const;

 private:
  uint16_t type_;
  uint8_t version_;
  uint16_t instance_;
};

// A record with fixed data.
class TmsoLeaf : public TmsoObject {
 public:
  TmsoLeaf(uint16_t type, uint8_t version, uint16_t instance, std::string data)
      : TmsoObject(type, version, instance), data_(std::move(data)) {}

 protected:
  size_t DataSize() const override { return data_.size(); }
  void WriteData(std::string& out) const override { out += data_; }

 private:
  std::string data_;
};

// Version 15: its children in order.
class TmsoContainer : public TmsoObject {
 public:
  explicit TmsoContainer(uint16_t type, uint16_t instance = 0) : TmsoObject(type, 15, instance) {}
  TmsoObject& Add(std::unique_ptr<TmsoObject> child);

 protected:
  size_t DataSize() const override;
  void WriteData(std::string& out) const override;

 private:
  std::vector<std::unique_ptr<TmsoObject>> children_;
};

// The property table of a shape: simple values, and complex ones whose
// UTF-16 text (with a terminating zero) follows the table.
class TmsoOPT : public TmsoObject {
 public:
  TmsoOPT() : TmsoObject(0xF00B, 3, 0) {}
  TmsoOPT& Add(uint16_t id, uint32_t value);
  TmsoOPT& AddText(uint16_t id, WideStringView text);
  void WriteTo(std::string& out) const override;

 protected:
  size_t DataSize() const override;
  void WriteData(std::string& out) const override;

 private:
  std::vector<std::pair<uint16_t, uint32_t>> properties_;
  std::string complex_;
};

namespace mso {

constexpr uint16_t kDggContainer = 0xF000;
constexpr uint16_t kBStoreContainer = 0xF001;
constexpr uint16_t kDgContainer = 0xF002;
constexpr uint16_t kSpgrContainer = 0xF003;
constexpr uint16_t kSpContainer = 0xF004;

std::unique_ptr<TmsoObject> Dg(uint16_t drawingId, uint32_t shapeCount, uint32_t lastShapeId);
std::unique_ptr<TmsoObject> Spgr();
std::unique_ptr<TmsoObject> Sp(uint16_t shapeType, uint32_t shapeId, uint32_t flags);
struct TAnchor {
  uint16_t Flags = 0;
  uint16_t FirstCol = 0, FirstColOffset = 0, FirstRow = 0, FirstRowOffset = 0;
  uint16_t LastCol = 0, LastColOffset = 0, LastRow = 0, LastRowOffset = 0;
};
std::unique_ptr<TmsoObject> ClientAnchor(const TAnchor& anchor);
std::unique_ptr<TmsoObject> ClientData();
std::unique_ptr<TmsoObject> ClientTextBox();

}  // namespace mso

}  // namespace verimo
