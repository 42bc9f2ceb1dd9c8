#pragma once

#include <cstddef>
#include <initializer_list>
#include <vector>

#include "core/WideString.h"

namespace verimo {

// An ordered list of wide-text lines with the name=value lookup the column
// setting lists use: a line "Amount=R" has the name "Amount" and the value
// "R"; names match case-insensitively.
class TStringList {
 public:
  TStringList() = default;
  TStringList(std::initializer_list<WideString> lines) : lines_(lines) {}

  int Count() const { return static_cast<int>(lines_.size()); }
  bool IsEmpty() const { return lines_.empty(); }
  const WideString& operator[](int index) const { return lines_.at(static_cast<size_t>(index)); }
  WideString& operator[](int index) { return lines_.at(static_cast<size_t>(index)); }

  void Add(WideString line) { lines_.push_back(std::move(line)); }
  void Insert(int index, WideString line);
  void Delete(int index);
  void Clear() { lines_.clear(); }
  // The first line equal to `line` (case-insensitive), or -1.
  int IndexOf(WideStringView line) const;

  // Name and value of line `index` ("" when it has no "=").
  WideString Name(int index) const;
  WideString ValueFromIndex(int index) const;
  // The first line whose name matches, or -1.
  int IndexOfName(WideStringView name) const;
  // The value for `name`, or "" when there is no such line.
  WideString Value(WideStringView name) const;
  // Replaces the value of the first matching line, appends a new line when
  // there is none, and deletes the line when `value` is empty.
  void SetValue(WideStringView name, WideStringView value);

  // The lines joined with CR LF after each line; SetText splits on CR LF, LF
  // or CR.
  WideString Text() const;
  void SetText(WideStringView text);

  auto begin() const { return lines_.begin(); }
  auto end() const { return lines_.end(); }
  const std::vector<WideString>& Lines() const { return lines_; }

  friend bool operator==(const TStringList&, const TStringList&) = default;

 private:
  std::vector<WideString> lines_;
};

}  // namespace verimo
