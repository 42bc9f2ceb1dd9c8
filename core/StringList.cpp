#include "core/StringList.h"

#include <stdexcept>

namespace verimo {

void TStringList::Insert(int index, WideString line) {
  if (index < 0 || index > Count()) throw std::out_of_range("TStringList::Insert");
  lines_.insert(lines_.begin() + index, std::move(line));
}

void TStringList::Delete(int index) {
  if (index < 0 || index >= Count()) throw std::out_of_range("TStringList::Delete");
  lines_.erase(lines_.begin() + index);
}

int TStringList::IndexOf(WideStringView line) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(lines_[static_cast<size_t>(i)], line)) return i;
  return -1;
}

WideString TStringList::Name(int index) const {
  const WideString& line = (*this)[index];
  size_t eq = line.find(u'=');
  return eq == WideString::npos ? WideString() : line.substr(0, eq);
}

WideString TStringList::ValueFromIndex(int index) const {
  const WideString& line = (*this)[index];
  size_t eq = line.find(u'=');
  return eq == WideString::npos ? WideString() : line.substr(eq + 1);
}

int TStringList::IndexOfName(WideStringView name) const {
  for (int i = 0; i < Count(); ++i) {
    const WideString& line = lines_[static_cast<size_t>(i)];
    size_t eq = line.find(u'=');
    if (eq != WideString::npos && SameText(WideStringView(line).substr(0, eq), name)) return i;
  }
  return -1;
}

WideString TStringList::Value(WideStringView name) const {
  int index = IndexOfName(name);
  return index < 0 ? WideString() : ValueFromIndex(index);
}

void TStringList::SetValue(WideStringView name, WideStringView value) {
  int index = IndexOfName(name);
  if (value.empty()) {
    if (index >= 0) Delete(index);
    return;
  }
  WideString line = WideString(name) + u'=' + WideString(value);
  if (index >= 0)
    lines_[static_cast<size_t>(index)] = std::move(line);
  else
    lines_.push_back(std::move(line));
}

WideString TStringList::Text() const {
  WideString text;
  for (const WideString& line : lines_) {
    text += line;
    text += u"\r\n";
  }
  return text;
}

void TStringList::SetText(WideStringView text) {
  lines_.clear();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = start;
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') ++end;
    lines_.emplace_back(text.substr(start, end - start));
    if (end < text.size() && text[end] == u'\r') ++end;
    if (end < text.size() && text[end] == u'\n') ++end;
    start = end;
  }
}

}  // namespace verimo
