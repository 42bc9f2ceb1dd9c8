#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace verimo::tools {

// What the eighth column of a generated table holds.
enum class NotesKind { Memo, Alpha };

// One column of a generated table, described as a Paradox header does.
struct SampleColumn {
  std::string name;
  char typeCode = 0;  // 'I', 'A', '$', 'S', 'D', 'L', 'M'
  int size = 0;       // bytes in the record (for 'M': the leader plus the 10-byte descriptor)
};

struct CivilDate {
  int year = 1;
  int month = 1;
  int day = 1;
  friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

// The intended content of one generated record; an empty optional is a
// blank (null) field. Texts are UTF-8.
struct SampleRow {
  int32_t id = 0;
  std::optional<std::string> name;
  std::optional<std::string> city;
  std::optional<int64_t> balanceCents;
  std::optional<int16_t> level;
  std::optional<CivilDate> joined;
  std::optional<bool> active;
  std::optional<std::string> notes;
};

// The eight columns: Id (I), Name (A), City (A), Balance ($), Level (S),
// Joined (D), Active (L), Notes (M or A).
std::vector<SampleColumn> SampleColumns(NotesKind notes);

// Characters (code points) the alpha columns hold.
constexpr int kNameLength = 40;
constexpr int kCityLength = 24;
constexpr int kAlphaNotesLength = 120;
// Bytes of a memo's text kept in the record itself.
constexpr int kMemoLeaderLength = 20;

// The record at `index` (0-based) of a table generated with `seed`: a pure
// function of both, so any row can be produced without the rows before it.
// The first rows are fixed edge cases (an all-blank record but for the ID,
// the largest values, zeros and the smallest values); the rest vary.
SampleRow MakeSampleRow(uint64_t seed, int64_t index, NotesKind notes);

// The Paradox date number of a day: 1 for 1 January of year 1.
int32_t ParadoxDayNumber(const CivilDate& date);

// Code points in a UTF-8 text.
size_t CodePointCount(const std::string& utf8);

}  // namespace verimo::tools
