#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/NonCopyable.h"
#include "core/StringList.h"
#include "core/WideString.h"

namespace verimo {

// Version from which wide texts are stored as UTF-8 bytes.
constexpr int kWideTextIniVersion = 400;

// A settings file in the classic profile syntax: "[Section]" lines and
// "key=value" entries, CR LF line ends, 8-bit text in the system ANSI code
// page. Section and key names compare case-insensitively.
//
// The whole file is read when the object is created (a missing file reads as
// empty); every change is written back to the file at once, and a change that
// cannot be written raises verimo::Exception.
//
// Values keep leading and trailing blanks: such a value (and one that is
// itself enclosed in quotes) is written inside double quotes, and a quoted
// value reads back without them. Values have no length limit. A key or value
// holding a line break, a key holding "=" and a section name holding "]"
// cannot be represented in the syntax and raise verimo::Exception.
class TTesselIniFile : private TNonCopyable {
 public:
  explicit TTesselIniFile(std::filesystem::path fileName);

  const std::filesystem::path& FileName() const { return fileName_; }

  // The file's format version; 0 at creation.
  int Version = 0;
  // Version := integer of "Number" in "IniVersion" (0 when missing or unreadable).
  void ReadVersion();
  void WriteVersion();

  // Plain strings, passing through the ANSI code page. From version 400 on,
  // a text the code page cannot hold is stored as UTF-8 instead of losing
  // characters, and a stored value that is well-formed non-ASCII UTF-8 reads
  // as UTF-8.
  WideString ReadString(WideStringView section, WideStringView key, WideStringView defaultValue) const;
  void WriteString(WideStringView section, WideStringView key, WideStringView value);

  // Decimal integers; the default when the key is missing or not a number.
  int ReadInteger(WideStringView section, WideStringView key, int defaultValue) const;
  void WriteInteger(WideStringView section, WideStringView key, int value);

  // "1" / "0"; read as an integer, true when not 0.
  bool ReadBool(WideStringView section, WideStringView key, bool defaultValue) const;
  void WriteBool(WideStringView section, WideStringView key, bool value);

  // Separator characters in the character notation (see CharToIniText).
  // Reading: a missing key or an empty value gives the default, "#n" the
  // character coded n, any other value its first character.
  char16_t ReadChar(WideStringView section, WideStringView key, char16_t defaultValue) const;
  void WriteChar(WideStringView section, WideStringView key, char16_t value);

  // Wide texts by Version: below kWideTextIniVersion a plain string, from it
  // on the UTF-8 bytes of the text stored one byte per file character.
  WideString ReadWideString(WideStringView section, WideStringView key, WideStringView defaultValue) const;
  void WriteWideString(WideStringView section, WideStringView key, WideStringView value);

  // Every entry of the section as "key=value", in file order; the wide
  // variant decodes the values by the version rule.
  void ReadSectionValues(WideStringView section, TStringList& list) const;
  void ReadWideSectionValues(WideStringView section, TStringList& list) const;
  // The keys of a section, in file order.
  void ReadSection(WideStringView section, TStringList& keys) const;
  // The section names, in file order.
  void ReadSections(TStringList& sections) const;

  // True when the section exists and has at least one key.
  bool SectionExists(WideStringView section) const;
  bool ValueExists(WideStringView section, WideStringView key) const;

  void EraseSection(WideStringView section);
  void DeleteKey(WideStringView section, WideStringView key);
  // Empties the whole file.
  void EraseAllSections();

 private:
  struct Entry {
    std::string key;    // file bytes
    WideString keyFold; // upper-cased decoded key, for lookups
    std::string value;  // file bytes, unquoted
  };
  struct Section {
    std::string name;
    WideString nameFold;
    std::vector<Entry> entries;
  };

  std::string EncodePlain(WideStringView text) const;
  WideString DecodePlain(std::string_view bytes) const;
  void Load();
  void Save() const;
  std::string Render() const;

  const Section* FindSection(WideStringView name) const;
  Section* FindSection(WideStringView name);
  const Entry* FindEntry(WideStringView section, WideStringView key) const;
  // The stored bytes of a key, or nullptr when it is missing.
  const std::string* RawValue(WideStringView section, WideStringView key) const;
  void WriteRaw(WideStringView section, WideStringView key, std::string value);

  std::filesystem::path fileName_;
  std::vector<Section> sections_;
};

// The character notation of separators: a character coded 33 to 127 as
// itself, any other as "#" followed by its decimal code ("#32" for a space,
// "#0" for none).
WideString CharToIniText(char16_t ch);
// The inverse: "" gives 0, a single character itself, "#n" the code n, any
// other text 0.
char16_t IniTextToChar(WideStringView text);

}  // namespace verimo
