#pragma once

#include <filesystem>
#include <string>

#include "engine/Tessel.h"
#include "core/StringList.h"
#include "platform/shell/Shell.h"

namespace verimo {

class TTesselIniFile;

// Exporters whose target is a file. After a run that was not stopped the
// file is opened and/or printed through the shell when asked.
class TTesselText : public TTessel {
 public:
  TTesselText();

  // Target file path (UTF-8). A name without a directory is created in the
  // current directory.
  std::string FileName;
  bool ShowFile = false;
  bool PrintFile = false;
  // Where "open" and "print" go; the desktop's by default, a recording
  // launcher in tests. Not owned.
  TShellLauncher* ShellLauncher = &SystemShellLauncher();

  // Creates the target's directory when missing (message 34025 when that
  // fails), creates or truncates the file, exports into it, closes it and
  // shows the result.
  void Execute() override;

  virtual void ShowResult();
  virtual std::string GetShowedFileName();
  virtual std::string GetPrintedFileName();

  void SaveSettings(TTesselIniFile& settings) override;
  void LoadSettings(TTesselIniFile& settings) override;

  // The directory the target is created in: FileName's directory, or the
  // current directory when it has none.
  std::filesystem::path TargetDirectory() const;
};

// File exporters with header and footer lines.
class TTesselAdvancedText : public TTesselText {
 public:

  void SaveSettings(TTesselIniFile& settings) override;
  void LoadSettings(TTesselIniFile& settings) override;
};

// File exporters with captions and value patterns.
class TTesselFormatText : public TTesselAdvancedText {
 public:
  TTesselFormatText();

  void SaveSettings(TTesselIniFile& settings) override;
  void LoadSettings(TTesselIniFile& settings) override;
};

// The SQL script's base: patterns without captions or separators.
class TTesselFormatTextSQL : public TTesselAdvancedText {
 public:
  TTesselFormatTextSQL();

  void SaveSettings(TTesselIniFile& settings) override;
  void LoadSettings(TTesselIniFile& settings) override;
};

// Settings-file helpers shared by the exporter bases and the formats.
namespace settings {

// Loads an exporter's options from a settings file (its version read first).
void LoadFromFile(TTessel& exporter, const std::filesystem::path& fileName);
// Saves an exporter's options into a settings file emptied first, as
// version 400.
void SaveToFile(TTessel& exporter, const std::filesystem::path& fileName);

// Erases the section, then writes one key "<prefix><n>" per line, n from 0.
void WriteNumberedLines(TTesselIniFile& file, WideStringView section, WideStringView prefix,
                        const TStringList& lines);
// The same with the wide-text rule of the file's version.
void WriteNumberedWideLines(TTesselIniFile& file, WideStringView section, WideStringView prefix,
                            const TStringList& lines);
// Replaces the list with the values of all keys of the section, in file
// order (each value is what follows the key's "=", kept whole).
void ReadNumberedLines(const TTesselIniFile& file, WideStringView section, TStringList& lines);
void ReadNumberedWideLines(const TTesselIniFile& file, WideStringView section, TStringList& lines);

// The patterns and texts of a formats object in "FORMATS"; with
// `withSeparators` also the separators and KeepOriginalFormat.
void WriteFormats(TTesselIniFile& file, const TTesselFormats& formats, bool withSeparators);
// Reads them back with the current values as defaults, through the setters.
void ReadFormats(const TTesselIniFile& file, TTesselFormats& formats, bool withSeparators);

}  // namespace settings

}  // namespace verimo
