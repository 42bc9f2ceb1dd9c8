#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "core/NonCopyable.h"
#include "engine/TesselSource.h"
#include "engine/TesselTypes.h"
#include "core/StringList.h"
#include "core/Variant.h"
#include "core/WideString.h"
#include "platform/data/DataSet.h"
#include "platform/locale/Formatting.h"

namespace verimo {

class TTesselFormats;
class TTesselRow;

// One exported column, derived from the source at every build.
struct TTesselColumn {
  int Number = 0;  // index of the column in its source
  TTesselColType ColType = ectInteger;
  TFieldType FieldType = ftUnknown;  // dataset and data-grid sources
  WideString Name;
  WideString Caption;
  int Width = 0;  // characters
  TTesselColAlign ColAlign = ecaLeft;
  WideString Format;
  WideString SQLType;
  int Length = 0;
  int Counter = 0;  // work counter, cleared by ResetCounters
  bool IsNumeric = false;
  bool IsNumber = false;
  bool IsString = false;
  bool IsBlob = false;
  bool IsMemo = false;
  bool IsVisible = true;
  // The underlying field (dataset and data-grid sources), else nullptr.
  TField* Field = nullptr;
};

// What the column builder reads from its owner (an exporter or the export
// dialog). A list left null counts as not published by the owner.
struct TTesselColumnSettings {
  TTesselSourceRefs Source;
  const TStringList* ExportedFields = nullptr;
  bool OnlyVisibleFields = false;
  // The owner's published formats: only then do columns get their
  // patterns and dataset number columns the width estimate (a UserFormats
  // line still applies without them).
  const TTesselFormats* Formats = nullptr;
  // The settings value conversions use (null and Boolean texts,
  // separators): Formats when null, defaults of the columns' own when both are.
  const TTesselFormats* ValueFormats = nullptr;
  bool AutoCalcStrType = false;
  int CaptionRow = -1;
  const TStringList* UserFormats = nullptr;
  const TStringList* ColumnsWidth = nullptr;
  const TStringList* Captions = nullptr;
  const TStringList* ColumnsAlign = nullptr;
  const TStringList* ColumnsLength = nullptr;
  int SkipRecCount = 0;
  int ExportRecCount = 0;
  // Fired per record of the width-measuring pass with the pass counter.
  std::function<void(int recNo)> OnFetchedRecord;
  // The owner's text callback (an exporter's EscapeText); identity when empty.
  std::function<WideString(const WideString&)> EscapeText;
  // The owner's record counter: list views read item (skip + counter).
  const int* RecordCounter = nullptr;
  // Asked before each record of the width pass; true ends the pass early.
  std::function<bool()> Stopped;
};

// The column model, rebuilt from the source at every run.
class TTesselColumns : private TNonCopyable {
 public:
  using TSettingsReader = std::function<void(TTesselColumnSettings&)>;

  explicit TTesselColumns(TSettingsReader readSettings);
  ~TTesselColumns();

  // Reads the owner's settings, clears the collection and creates the
  // columns; BLOB fields join only when named or with includeBlobs.
  void Build(bool includeBlobs);

  int Count() const { return static_cast<int>(items_.size()); }
  TTesselColumn& operator[](int index) { return items_.at(static_cast<size_t>(index)); }
  const TTesselColumn& operator[](int index) const { return items_.at(static_cast<size_t>(index)); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }
  // A new column (ectInteger, left-aligned).
  TTesselColumn& Add();
  void Clear() {
    items_.clear();
    patterns_.clear();
  }

  // The first column with that name (case-insensitive), else -1.
  int IndexOfName(WideStringView name) const;
  // The column's field is null in the current record (field sources only).
  bool IsNull(int index) const;
  // The field's value (field sources), else an empty text.
  Variant GetValue(int index) const;
  // The raw value and the formatted text of a column of the current record.
  void GetColumnValue(int index, Variant& value, WideString& text) const;
  // Whether the columns read their values from fields (data sets and grids).
  bool ReadsFields() const { return settings_.Source.HasFields(); }
  // GetColumnValue of every column into the cells of `row` (in column
  // order, as far as both go), for sources that ReadsFields.
  void ReadFieldRow(TTesselRow& row) const;
  // The width-measuring pass: widens columns to their captions and to the
  // escaped texts of the records an export would read.
  void CalcWidths();
  // The measuring pass of the page formats: `measure(column, text)` with
  // the text of every cell of the records an export reads (the null text
  // for a null), from the first record or from the current one
  // (`fromFirst`), with the run's skip count and record limit, one record
  // only with `currentOnly`; the position is restored afterwards. With
  // `sameLengthSameWidth` (the font's digits share one width), a number,
  // date or Boolean whose text has the length of one measured before in a
  // way that makes it as wide is passed over.
  void MeasureTexts(const std::function<void(int column, const WideString& text)>& measure, bool fromFirst,
                    bool currentOnly, bool sameLengthSameWidth);
  void ResetCounters();
  bool HasBlobColumns() const;
  // The columns that hold the whole primary key of the source's fields, in
  // key order; empty when the source has no key or a key field is not
  // among the columns (a part of a key need not be unique).
  std::vector<int> KeyColumns() const;

  // The column's pattern, compiled on first use and again whenever the
  // column's Format changes; while the patterns are held, a pattern once
  // compiled is used without comparing it with the Format again.
  const TNumberPattern& NumberPatternOf(int index) const;
  const TDateTimePattern& DateTimePatternOf(int index) const;
  // A run holds the patterns for its length: a Format changed during a run
  // takes effect with the next run.
  void HoldPatterns(bool hold) { patternsHeld_ = hold; }

  // Records passed by the width-measuring pass.
  int RecordCounter() const { return recordCounter_; }
  // The settings of the last Build.
  const TTesselColumnSettings& Settings() const { return settings_; }

 private:
  enum Measure : uint8_t { kByText, kByStoredLength, kByLengthClass };

  const TTesselFormats& ValueFormats() const;
  // Runs `record` for each record a pass reads (see MeasureTexts).
  template <typename F>
  void ScanRecords(bool fromFirst, bool currentOnly, F&& record);
  // How each column is measured when its texts need not be read.
  std::vector<Measure> MeasuresWithoutText(bool storedLength) const;
  // The bit of the value's length class (0 without one).
  uint64_t LengthClassBit(int index, const Variant& value) const;
  void AddNamedColumns(bool includeBlobs);
  void AddAllColumns(bool includeBlobs);
  void DeriveProperties(TTesselColumn& column) const;
  void ReadColumnValue(int index, int counter, Variant& value, WideString& text) const;
  WideString SourceText(const TTesselColumn& column, int counter) const;
  // The text of a field's value already read; may reset `value` (a value
  // the patterns cannot take).
  void FormatFieldValue(int index, const TTesselColumn& column, const TTesselFormats& formats, Variant& value,
                        WideString& text) const;
  // A class of the column's non-null values whose texts share one length
  // (0 to 63), or -1 (see TNumberPattern::LengthClassOfInt64).
  int LengthClassOf(int index, const Variant& value) const;
  void ConvertSourceText(int index, Variant& value, WideString& text) const;

  struct CompiledPatterns {
    TNumberPattern number;
    TDateTimePattern dateTime;
    bool numberReady = false;
    bool dateTimeReady = false;
  };

  TSettingsReader readSettings_;
  TTesselColumnSettings settings_;
  std::vector<TTesselColumn> items_;
  mutable std::vector<CompiledPatterns> patterns_;  // one per column
  bool patternsHeld_ = false;
  int recordCounter_ = 0;
  std::unique_ptr<TTesselFormats> defaultFormats_;
};

// The column type of a text: empty = string; the Boolean texts
// (case-insensitive) = Boolean; then integer, float, date-time (date when
// the time is midnight, time when the date is 30 Dec 1899) as the
// process-wide settings read them; else string.
TTesselColType ColTypeFromText(WideStringView text, WideStringView booleanTrue,
                               WideStringView booleanFalse);

// The column type of a platform field type.
TTesselColType ColTypeFromFieldType(TFieldType type);

// The width in characters of the longest text a `dataSize`-byte number
// gives with `pattern`.
int EstimateNumberWidth(int dataSize, WideStringView pattern);

}  // namespace verimo
