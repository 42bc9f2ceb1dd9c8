#include "engine/TesselIniFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>

#include "core/Exception.h"
#include "platform/codepage/CodePage.h"

namespace verimo {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

bool IsBlank(char byte) { return static_cast<unsigned char>(byte) <= ' '; }
bool IsQuote(char byte) { return byte == '"' || byte == '\''; }
bool HasLineBreak(std::string_view bytes) { return bytes.find_first_of("\r\n") != std::string_view::npos; }

std::string_view TrimBlanks(std::string_view bytes) {
  while (!bytes.empty() && IsBlank(bytes.front())) bytes.remove_prefix(1);
  while (!bytes.empty() && IsBlank(bytes.back())) bytes.remove_suffix(1);
  return bytes;
}

bool IsEnclosedInQuotes(std::string_view bytes) {
  return bytes.size() >= 2 && IsQuote(bytes.front()) && bytes.front() == bytes.back();
}

// A value that would lose its blanks or its enclosing quotes when read back
// travels inside double quotes.
std::string QuoteWhenNeeded(std::string value) {
  if (value.empty()) return value;
  if (IsBlank(value.front()) || IsBlank(value.back()) || IsEnclosedInQuotes(value))
    return '"' + value + '"';
  return value;
}

std::string UnquoteValue(std::string_view rawValue) {
  std::string_view value = TrimBlanks(rawValue);
  if (IsEnclosedInQuotes(value)) value = value.substr(1, value.size() - 2);
  return std::string(value);
}

int AnsiCodePage() { return SystemCodePage(TSystemCodePage::Ansi); }
std::string ToFileText(WideStringView text) { return EncodeToCodePage(text, AnsiCodePage()); }
WideString FromFileText(std::string_view bytes) { return DecodeFromCodePage(bytes, AnsiCodePage()); }

WideString FoldName(std::string_view bytes) { return UpperCase(FromFileText(bytes)); }
// Names are looked up as the file stores them, so that a character the code
// page cannot hold matches its stored replacement.
WideString FoldLookupName(WideStringView name) { return FoldName(TrimBlanks(ToFileText(name))); }

std::string SectionNameBytes(WideStringView section) {
  std::string name(TrimBlanks(ToFileText(section)));
  if (name.empty() || HasLineBreak(name) || name.find(']') != std::string::npos)
    throw Exception(u"Settings section name \"" + WideString(section) + u"\" cannot be stored");
  return name;
}

std::string KeyBytes(WideStringView key) {
  std::string name(TrimBlanks(ToFileText(key)));
  if (name.empty() || HasLineBreak(name) || name.find('=') != std::string::npos || name.front() == '[')
    throw Exception(u"Settings key \"" + WideString(key) + u"\" cannot be stored");
  return name;
}

bool ParseInteger(WideStringView text, int& result) {
  long long value = 0;
  if (!TryWideToInt64(Trim(text), value) || value < INT_MIN || value > INT_MAX) return false;
  result = static_cast<int>(value);
  return true;
}

std::string ErrnoText() { return std::strerror(errno); }

// Well-formed UTF-8 with at least one byte above 127.
bool IsNonAsciiUtf8(std::string_view bytes) {
  bool nonAscii = false;
  for (size_t i = 0; i < bytes.size();) {
    unsigned char lead = static_cast<unsigned char>(bytes[i]);
    size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || (length == 2 && lead < 0xC2) || i + length > bytes.size()) return false;
    for (size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
    nonAscii = nonAscii || length > 1;
    i += length;
  }
  return nonAscii;
}

}  // namespace

TTesselIniFile::TTesselIniFile(std::filesystem::path fileName) : fileName_(std::move(fileName)) { Load(); }

// ---- reading and writing the file ----

void TTesselIniFile::Load() {
  std::error_code ec;
  if (!std::filesystem::exists(fileName_, ec)) return;
  FilePtr file(std::fopen(fileName_.c_str(), "rb"));
  if (!file) throw Exception("Cannot read the settings file \"" + fileName_.string() + "\": " + ErrnoText());
  std::string content;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) content.append(buffer, n);
  if (std::ferror(file.get()))
    throw Exception("Cannot read the settings file \"" + fileName_.string() + "\": " + ErrnoText());

  Section* current = nullptr;
  size_t pos = 0;
  while (pos < content.size()) {
    size_t end = content.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = content.size();
    std::string_view line = TrimBlanks(std::string_view(content).substr(pos, end - pos));
    pos = end + 1;
    if (end < content.size() && content[end] == '\r' && pos < content.size() && content[pos] == '\n') ++pos;

    size_t close = line.find(']');
    if (!line.empty() && line.front() == '[' && close != std::string_view::npos) {
      std::string name(TrimBlanks(line.substr(1, close - 1)));
      WideString fold = FoldName(name);
      current = nullptr;
      for (Section& section : sections_)
        if (section.nameFold == fold) current = &section;
      if (!current) {
        sections_.push_back(Section{std::move(name), std::move(fold), {}});
        current = &sections_.back();
      }
      continue;
    }
    size_t eq = line.find('=');
    if (!current || eq == std::string_view::npos) continue;
    std::string key(TrimBlanks(line.substr(0, eq)));
    if (key.empty()) continue;
    WideString fold = FoldName(key);
    bool duplicate = false;
    for (const Entry& entry : current->entries) duplicate = duplicate || entry.keyFold == fold;
    if (!duplicate) current->entries.push_back(Entry{std::move(key), std::move(fold), UnquoteValue(line.substr(eq + 1))});
  }
}

std::string TTesselIniFile::Render() const {
  std::string text;
  for (const Section& section : sections_) {
    text += '[';
    text += section.name;
    text += ']';
    text += kLineEnd;
    for (const Entry& entry : section.entries) {
      text += entry.key;
      text += '=';
      text += QuoteWhenNeeded(entry.value);
      text += kLineEnd;
    }
    text += kLineEnd;
  }
  return text;
}

void TTesselIniFile::Save() const {
  std::string text = Render();
  FilePtr file(std::fopen(fileName_.c_str(), "wb"));
  if (!file) throw Exception("Cannot write the settings file \"" + fileName_.string() + "\": " + ErrnoText());
  bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
  written = std::fflush(file.get()) == 0 && written;
  std::FILE* raw = file.release();
  written = std::fclose(raw) == 0 && written;
  if (!written) throw Exception("Cannot write the settings file \"" + fileName_.string() + "\": " + ErrnoText());
}

// ---- lookups ----

const TTesselIniFile::Section* TTesselIniFile::FindSection(WideStringView name) const {
  WideString fold = FoldLookupName(name);
  for (const Section& section : sections_)
    if (section.nameFold == fold) return &section;
  return nullptr;
}

TTesselIniFile::Section* TTesselIniFile::FindSection(WideStringView name) {
  return const_cast<Section*>(static_cast<const TTesselIniFile*>(this)->FindSection(name));
}

const TTesselIniFile::Entry* TTesselIniFile::FindEntry(WideStringView section, WideStringView key) const {
  const Section* found = FindSection(section);
  if (!found) return nullptr;
  WideString fold = FoldLookupName(key);
  for (const Entry& entry : found->entries)
    if (entry.keyFold == fold) return &entry;
  return nullptr;
}

const std::string* TTesselIniFile::RawValue(WideStringView section, WideStringView key) const {
  const Entry* entry = FindEntry(section, key);
  return entry ? &entry->value : nullptr;
}

void TTesselIniFile::WriteRaw(WideStringView section, WideStringView key, std::string value) {
  std::string sectionName = SectionNameBytes(section);
  std::string keyName = KeyBytes(key);
  if (HasLineBreak(value))
    throw Exception(u"The value of settings key \"" + WideString(key) + u"\" holds a line break and cannot be stored");

  Section* target = FindSection(section);
  if (!target) {
    WideString fold = FoldName(sectionName);
    sections_.push_back(Section{std::move(sectionName), std::move(fold), {}});
    target = &sections_.back();
  }
  WideString keyFold = FoldName(keyName);
  Entry* entry = nullptr;
  for (Entry& candidate : target->entries)
    if (candidate.keyFold == keyFold) entry = &candidate;
  if (entry)
    entry->value = std::move(value);
  else
    target->entries.push_back(Entry{std::move(keyName), std::move(keyFold), std::move(value)});
  Save();
}

// ---- value rules ----

void TTesselIniFile::ReadVersion() {
  int version = 0;
  Version = ParseInteger(ReadString(u"IniVersion", u"Number", u"0"), version) ? version : 0;
}

void TTesselIniFile::WriteVersion() { WriteInteger(u"IniVersion", u"Number", Version); }

std::string TTesselIniFile::EncodePlain(WideStringView text) const {
  std::string bytes = ToFileText(text);
  if (Version >= kWideTextIniVersion && FromFileText(bytes) != text) return WideToUtf8(text);
  return bytes;
}

WideString TTesselIniFile::DecodePlain(std::string_view bytes) const {
  if (Version >= kWideTextIniVersion && IsNonAsciiUtf8(bytes)) return Utf8ToWide(bytes);
  return FromFileText(bytes);
}

WideString TTesselIniFile::ReadString(WideStringView section, WideStringView key, WideStringView defaultValue) const {
  const std::string* raw = RawValue(section, key);
  return raw ? DecodePlain(*raw) : WideString(defaultValue);
}

void TTesselIniFile::WriteString(WideStringView section, WideStringView key, WideStringView value) {
  WriteRaw(section, key, EncodePlain(value));
}

int TTesselIniFile::ReadInteger(WideStringView section, WideStringView key, int defaultValue) const {
  const std::string* raw = RawValue(section, key);
  int value = 0;
  return raw && ParseInteger(FromFileText(*raw), value) ? value : defaultValue;
}

void TTesselIniFile::WriteInteger(WideStringView section, WideStringView key, int value) {
  WriteRaw(section, key, std::to_string(value));
}

bool TTesselIniFile::ReadBool(WideStringView section, WideStringView key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TTesselIniFile::WriteBool(WideStringView section, WideStringView key, bool value) {
  WriteRaw(section, key, value ? "1" : "0");
}

char16_t TTesselIniFile::ReadChar(WideStringView section, WideStringView key, char16_t defaultValue) const {
  const std::string* raw = RawValue(section, key);
  if (!raw || raw->empty()) return defaultValue;
  WideString text = DecodePlain(*raw);
  if (text.size() > 1 && text.front() == u'#') {
    char16_t coded = IniTextToChar(text);
    if (coded != 0 || text == u"#0") return coded;
  }
  return text.front();
}

void TTesselIniFile::WriteChar(WideStringView section, WideStringView key, char16_t value) {
  WriteString(section, key, CharToIniText(value));
}

WideString TTesselIniFile::ReadWideString(WideStringView section, WideStringView key,
                                          WideStringView defaultValue) const {
  const std::string* raw = RawValue(section, key);
  if (!raw) return WideString(defaultValue);
  return Version >= kWideTextIniVersion ? Utf8ToWide(*raw) : FromFileText(*raw);
}

void TTesselIniFile::WriteWideString(WideStringView section, WideStringView key, WideStringView value) {
  WriteRaw(section, key, Version >= kWideTextIniVersion ? WideToUtf8(value) : ToFileText(value));
}

// ---- sections ----

void TTesselIniFile::ReadSectionValues(WideStringView section, TStringList& list) const {
  list.Clear();
  if (const Section* found = FindSection(section))
    for (const Entry& entry : found->entries) list.Add(FromFileText(entry.key) + u"=" + DecodePlain(entry.value));
}

void TTesselIniFile::ReadWideSectionValues(WideStringView section, TStringList& list) const {
  list.Clear();
  bool utf8 = Version >= kWideTextIniVersion;
  if (const Section* found = FindSection(section))
    for (const Entry& entry : found->entries)
      list.Add(FromFileText(entry.key) + u"=" + (utf8 ? Utf8ToWide(entry.value) : FromFileText(entry.value)));
}

void TTesselIniFile::ReadSection(WideStringView section, TStringList& keys) const {
  keys.Clear();
  if (const Section* found = FindSection(section))
    for (const Entry& entry : found->entries) keys.Add(FromFileText(entry.key));
}

void TTesselIniFile::ReadSections(TStringList& sections) const {
  sections.Clear();
  for (const Section& section : sections_) sections.Add(FromFileText(section.name));
}

bool TTesselIniFile::SectionExists(WideStringView section) const {
  const Section* found = FindSection(section);
  return found && !found->entries.empty();
}

bool TTesselIniFile::ValueExists(WideStringView section, WideStringView key) const {
  return FindEntry(section, key) != nullptr;
}

void TTesselIniFile::EraseSection(WideStringView section) {
  WideString fold = FoldLookupName(section);
  std::erase_if(sections_, [&](const Section& candidate) { return candidate.nameFold == fold; });
  Save();
}

void TTesselIniFile::DeleteKey(WideStringView section, WideStringView key) {
  Section* found = FindSection(section);
  if (!found) return;
  WideString fold = FoldLookupName(key);
  std::erase_if(found->entries, [&](const Entry& entry) { return entry.keyFold == fold; });
  Save();
}

void TTesselIniFile::EraseAllSections() {
  sections_.clear();
  Save();
}

// ---- character notation ----

WideString CharToIniText(char16_t ch) {
  if (ch >= 33 && ch <= 127) return WideString(1, ch);
  // Built by insertion: "literal + string" trips a false -Wrestrict of g++ 12 at -O3.
  WideString text = IntToWide(ch);
  text.insert(text.begin(), u'#');
  return text;
}

char16_t IniTextToChar(WideStringView text) {
  if (text.empty()) return 0;
  if (text.size() == 1) return text.front();
  long long code = 0;
  if (text.front() != u'#' || !TryWideToInt64(text.substr(1), code) || code < 0 || code > 0xFFFF) return 0;
  if (text[1] == u'+' || text[1] == u'-') return 0;
  return static_cast<char16_t>(code);
}

}  // namespace verimo
