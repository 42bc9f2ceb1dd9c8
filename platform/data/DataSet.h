#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/NonCopyable.h"
#include "core/Variant.h"
#include "core/WideString.h"
#include "platform/data/FieldType.h"

namespace verimo {

class TDataSet;

// One column of a dataset. It holds the column's description; the values of
// the current record come from its dataset.
class TField {
 public:
  TField(TDataSet& dataSet, int index, WideString name, TFieldType type, int size);

  TDataSet& DataSet() const { return *dataSet_; }
  int Index() const { return index_; }
  const WideString& FieldName() const { return name_; }
  TFieldType DataType() const { return type_; }
  // Declared size: characters for strings, bytes for byte fields, decimal
  // places for BCD fields, the in-record part for BLOB fields; 0 otherwise.
  int Size() const { return size_; }
  int DataSize() const { return FieldDataSize(type_, size_); }

  // The label and width shown to the user; the label defaults to the name.
  const WideString& DisplayLabel() const { return displayLabel_.empty() ? name_ : displayLabel_; }
  void SetDisplayLabel(WideString label) { displayLabel_ = std::move(label); }
  int DisplayWidth() const { return displayWidth_; }
  void SetDisplayWidth(int width) { displayWidth_ = width; }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible) { visible_ = visible; }

  bool IsBlob() const { return IsBlobType(type_); }
  bool IsMemo() const { return IsMemoType(type_); }

  // Values of the current record.
  bool IsNull() const;
  // Null when blank; otherwise integer (smallint, integer, word, autoinc,
  // largeint), double (float, currency, BCD), Boolean, date-time (date, time,
  // datetime, timestamp), text (strings and memos) or bytes (byte fields and
  // binary BLOBs).
  Variant Value() const;
  // The same value into `value`, reusing its storage where the dataset can
  // (a text value keeps its buffer from record to record).
  void ReadValue(Variant& value) const;
  // The field's text as the platform gives it: strings and memos as their
  // text, bytes one character per byte (Latin-1), Booleans "True"/"False",
  // numbers and dates in a neutral notation ("12.5", "2024-01-31 10:00:00");
  // empty for null. Locale-aware texts are the formatting layer's job.
  WideString AsString() const;
  // The raw bytes of a BLOB or byte field (text BLOBs as stored, before
  // decoding); empty for null.
  Bytes BlobBytes() const;

 private:
  TDataSet* dataSet_;
  int index_;
  WideString name_;
  TFieldType type_;
  int size_;
  WideString displayLabel_;
  int displayWidth_;
  bool visible_ = true;
};

// An opaque position in a dataset; only the dataset that issued it reads it.
struct TBookmark {
  int64_t position = -1;
  int64_t detail = -1;
  bool IsValid() const { return position >= 0; }
  friend bool operator==(const TBookmark&, const TBookmark&) = default;
};

// A navigable set of records with typed fields: the shape every export
// source of database kind has. Navigation follows the classic cursor model:
// after First the cursor is on the first record, or Eof is true when there
// are none; Next past the last record sets Eof.
class TDataSet : private TNonCopyable {
 public:
  virtual ~TDataSet();

  void Open();
  void Close();
  bool Active() const { return active_; }
  void SetActive(bool active) { active ? Open() : Close(); }

  int FieldCount() const { return static_cast<int>(fields_.size()); }
  TField& Field(int index) const;
  // nullptr when there is no such field (names match case-insensitively).
  TField* FindField(WideStringView name) const;
  // Raises "Field 'NAME' not found" when there is no such field.
  TField& FieldByName(WideStringView name) const;

  virtual bool IsEmpty() const = 0;
  virtual void First() = 0;
  virtual void Next() = 0;
  virtual bool Eof() const = 0;
  // Records in the set, or -1 when unknown.
  virtual int64_t RecordCount() const { return -1; }
  // The leading fields that form the primary key; 0 without one.
  virtual int KeyFieldCount() const { return 0; }

  virtual TBookmark GetBookmark() const = 0;
  virtual void GotoBookmark(const TBookmark& bookmark) = 0;
  virtual void FreeBookmark(TBookmark& bookmark) { bookmark = TBookmark(); }

  // Controls attached to the dataset are not refreshed while disabled;
  // calls nest.
  void DisableControls() { ++disableCount_; }
  void EnableControls() {
    if (disableCount_ > 0) --disableCount_;
  }
  bool ControlsDisabled() const { return disableCount_ > 0; }

  // Current-record access for TField.
  virtual Variant FieldValue(int index) const = 0;
  // FieldValue into `value`; datasets that can decode into the storage the
  // variant already has override it.
  virtual void ReadFieldValue(int index, Variant& value) const { value = FieldValue(index); }
  virtual bool FieldIsNull(int index) const { return FieldValue(index).IsNull(); }
  // The single-byte code page a text field is stored in when its bytes can
  // be had as they are (FieldStoredText); 0 when they cannot.
  virtual int FieldStoredCodePage(int /*index*/) const { return 0; }
  // The stored bytes of such a field in the current record, which decode
  // in that code page, one character per byte, to the field's text; empty
  // exactly when the field is null.
  virtual std::string_view FieldStoredText(int /*index*/) const { return {}; }
  virtual Bytes FieldBlob(int index) const;
  // The exact decimal text of a decimal (BCD) field of the current record
  // ("-12.50"), for datasets that keep more digits than a double holds;
  // empty when blank or not kept.
  virtual std::string FieldDecimalText(int /*index*/) const { return {}; }
  // The day number a date or timestamp field of the current record holds
  // when it lies outside years 1 to 9999: such a value reads as null, and
  // this tells it apart from a blank. Nothing otherwise.
  virtual std::optional<int64_t> FieldOutOfRangeDays(int /*index*/) const { return std::nullopt; }
  // What a salvaging read of a damaged source recovered and lost: one line
  // per problem, the summary line last. Empty when the source is read as it
  // stands.
  virtual std::vector<std::string> SalvageReport() const { return {}; }

 protected:
  TDataSet() = default;

  // Opens the underlying data and defines the fields with AddField.
  virtual void DoOpen() = 0;
  virtual void DoClose() = 0;
  TField& AddField(WideString name, TFieldType type, int size);
  void ClearFields() { fields_.clear(); }
  // Raises "Dataset not in active state" unless the dataset is open.
  void CheckActive() const;

 private:
  std::vector<std::unique_ptr<TField>> fields_;
  bool active_ = false;
  int disableCount_ = 0;
};

// Converts a value to the neutral text of TField::AsString.
WideString NeutralValueText(const Variant& value);

inline void TField::ReadValue(Variant& value) const { dataSet_->ReadFieldValue(index_, value); }

}  // namespace verimo
