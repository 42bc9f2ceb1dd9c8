#include "formats/package/PackageTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>
#include <zlib.h>

#include "core/DateTime.h"
#include "engine/SpreadsheetFormat.h"
#include "engine/Tessel.h"
#include "support/Json.h"
#include "support/TestPaths.h"

namespace verimo::test {
namespace fs = std::filesystem;

TemporaryDirectoryOverride::TemporaryDirectoryOverride(const fs::path& dir) {
  const char* previous = std::getenv("TMPDIR");
  hadPrevious_ = previous != nullptr;
  if (previous) previous_ = previous;
  ::setenv("TMPDIR", dir.c_str(), 1);
}

TemporaryDirectoryOverride::~TemporaryDirectoryOverride() {
  if (hadPrevious_) {
    ::setenv("TMPDIR", previous_.c_str(), 1);
  } else {
    ::unsetenv("TMPDIR");
  }
}

std::vector<std::string> FolderEntries(const fs::path& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string ZipPart(const fs::path& archive, const std::string& part) {
  std::string output;
  RunCommand("unzip -p " + ShellQuote(archive.string()) + " " + ShellQuote(part) + " 2>/dev/null", &output);
  return output;
}

std::vector<std::string> ZipEntries(const fs::path& archive) {
  std::string output;
  RunCommand("unzip -Z1 " + ShellQuote(archive.string()) + " 2>/dev/null", &output);
  std::vector<std::string> names;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);)
    if (!line.empty()) names.push_back(line);
  return names;
}

std::string InflateRaw(std::string_view compressed) {
  z_stream stream{};
  EXPECT_EQ(inflateInit2(&stream, -MAX_WBITS), Z_OK);
  std::string out;
  std::vector<Bytef> buffer(1 << 16);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
  stream.avail_in = static_cast<uInt>(compressed.size());
  int result = Z_OK;
  while (result == Z_OK) {
    stream.next_out = buffer.data();
    stream.avail_out = static_cast<uInt>(buffer.size());
    result = inflate(&stream, Z_NO_FLUSH);
    out.append(reinterpret_cast<const char*>(buffer.data()), buffer.size() - stream.avail_out);
  }
  EXPECT_EQ(result, Z_STREAM_END) << "the stream is complete and valid";
  EXPECT_EQ(stream.avail_in, 0u) << "nothing follows the end of the stream";
  inflateEnd(&stream);
  return out;
}

namespace {

std::string Printf(const char* format, auto... args) {
  char text[64];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

// How the spreadsheet should type a data cell.
TypedCell ExpectedCell(const TTesselColumn& column, const TTesselCol& cell, bool null, const WideString& text,
                       const WideString& format) {
  if (text.empty()) return std::nullopt;
  const Variant& value = cell.Value;
  const auto kind = value.GetKind();
  const bool number = column.ColType == ectInteger || column.ColType == ectBigint || column.ColType == ectFloat ||
                      column.ColType == ectCurrency;
  const char* numberType = column.ColType == ectCurrency ? "currency" : "float";
  auto typed = [&format](const char* type, std::string lexical) { return TypedValue{type, std::move(lexical), format}; };
  if (null) return typed("string", "");
  if (number && kind == Variant::Kind::Integer) return typed(numberType, std::to_string(value.AsInt()));
  if (number && kind == Variant::Kind::Currency) return typed(numberType, Printf("%.4f", value.AsDouble()));
  if (number && kind == Variant::Kind::Double && std::isfinite(value.AsDouble()))
    return typed(numberType, Printf("%.17g", value.AsDouble()));
  if (kind == Variant::Kind::DateTime && column.ColType == ectTime) {
    const TimeParts t = DecodeTime(value.AsDateTime());
    return typed("time", Printf("PT%02dH%02dM%02dS", t.hour, t.minute, t.second));
  }
  if (kind == Variant::Kind::DateTime && (column.ColType == ectDate || column.ColType == ectDateTime)) {
    const DateParts d = DecodeDate(value.AsDateTime());
    std::string date = Printf("%04d-%02d-%02d", d.year, d.month, d.day);
    const TimeParts t = DecodeTime(value.AsDateTime());
    if (column.ColType == ectDateTime && (t.hour || t.minute || t.second || t.millisecond))
      date += Printf("T%02d:%02d:%02d", t.hour, t.minute, t.second);
    return typed("date", date);
  }
  if (kind == Variant::Kind::Boolean && column.ColType == ectBoolean)
    return typed("boolean", value.AsBool() ? "true" : "false");
  return typed("string", "");
}

WideString JoinLines(const TStringList& lines) {
  WideString joined;
  for (int i = 0; i < lines.Count(); ++i) joined += (i ? u"\n" : u"") + lines[i];
  return joined;
}

}  // namespace

void TableRecorder::Attach(TTessel& exporter) {
  exporter.OnBeginExport = [this](TTessel& sender) {
    captions_.clear();
    numberFormats_.clear();
    rows_.clear();
    values_.clear();
    const TTesselFormats& formats = sender.Formats();
    const auto context = TSpreadsheetPatternContext::FromGlobalSettings(formats.DateSeparator, formats.TimeSeparator);
    for (const TTesselColumn& column : sender.Columns()) {
      captions_.push_back(column.Caption);
      numberFormats_.push_back(ColumnNumberFormat(column, formats, context));
    }
  };
  exporter.OnBeforeExportRow = [this](TTessel& sender, TTesselRow& row, bool&) {
    std::vector<WideString> cells;
    std::vector<TypedCell> typed;
    for (int i = 0; i < row.Count(); ++i) {
      const bool null = sender.Columns().IsNull(i);
      cells.push_back(null ? sender.Formats().NullString() : row[i].Text);
      typed.push_back(ExpectedCell(sender.Columns()[i], row[i], null, cells.back(), numberFormats_[static_cast<size_t>(i)]));
    }
    rows_.push_back(cells);
    values_.push_back(typed);
  };
}

Grid TableRecorder::SheetExpected(const TTessel& exporter) const {
  Grid grid;
  if (!exporter.Header.IsEmpty()) grid.push_back({JoinLines(exporter.Header)});
  if (exporter.AllowCaptions) grid.push_back(captions_);
  grid.insert(grid.end(), rows_.begin(), rows_.end());
  if (!exporter.Footer.IsEmpty()) grid.push_back({JoinLines(exporter.Footer)});
  return grid;
}

TypedGrid TableRecorder::SheetValues(const TTessel& exporter) const {
  const TypedCell text = TypedValue{"string", "", {}};
  TypedGrid grid;
  if (!exporter.Header.IsEmpty()) grid.push_back({text});
  if (exporter.AllowCaptions) grid.push_back(std::vector<TypedCell>(captions_.size(), text));
  grid.insert(grid.end(), values_.begin(), values_.end());
  if (!exporter.Footer.IsEmpty()) grid.push_back({text});
  return grid;
}

Grid TableRecorder::TableExpected(const TTessel& exporter) const {
  Grid grid;
  if (exporter.AllowCaptions) grid.push_back(captions_);
  grid.insert(grid.end(), rows_.begin(), rows_.end());
  return grid;
}

TypedGrid TableRecorder::Values(const TTessel& exporter) const {
  const TypedCell text = TypedValue{"string", "", {}};
  TypedGrid grid(static_cast<size_t>(exporter.Header.Count()), std::vector<TypedCell>{text});
  if (exporter.AllowCaptions) grid.push_back(std::vector<TypedCell>(captions_.size(), text));
  grid.insert(grid.end(), values_.begin(), values_.end());
  grid.insert(grid.end(), static_cast<size_t>(exporter.Footer.Count()), std::vector<TypedCell>{text});
  return grid;
}

Grid TableRecorder::Expected(const TTessel& exporter) const {
  Grid grid;
  for (const WideString& line : exporter.Header) grid.push_back({line});
  if (exporter.AllowCaptions) grid.push_back(captions_);
  grid.insert(grid.end(), rows_.begin(), rows_.end());
  for (const WideString& line : exporter.Footer) grid.push_back({line});
  return grid;
}

namespace {

std::string GridToJson(const Grid& grid) {
  std::string json = "[";
  for (size_t r = 0; r < grid.size(); ++r) {
    json += r ? ",[" : "[";
    for (size_t c = 0; c < grid[r].size(); ++c) {
      if (c) json += ',';
      AppendJsonString(json, grid[r][c]);
    }
    json += ']';
  }
  return json + "]";
}

std::string JobsToJson(const std::vector<PackageJob>& jobs) {
  std::string json = "[";
  for (const PackageJob& job : jobs) {
    if (json.size() > 1) json += ",\n";
    json += "{\"file\":";
    AppendJsonString(json, Utf8ToWide(job.file.string()));
    json += ",\"format\":\"" + job.format + "\",\"libreoffice\":" + (job.libreoffice ? "true" : "false");
    json += ",\"sheets\":" + std::to_string(job.sheets) + ",\"expected\":" + GridToJson(job.expected);
    json += ",\"values\":[";
    for (size_t r = 0; r < job.values.size(); ++r) {
      json += r ? ",[" : "[";
      for (size_t c = 0; c < job.values[r].size(); ++c) {
        if (c) json += ',';
        const TypedCell& cell = job.values[r][c];
        if (!cell) {
          json += "null";
          continue;
        }
        json += "[\"" + cell->Kind + "\",\"" + cell->Value + "\",";
        AppendJsonString(json, cell->Format);
        json += ']';
      }
      json += ']';
    }
    json += "],\"paragraphs\":[";
    for (size_t side = 0; side < job.paragraphs.size(); ++side) {
      json += side ? ",[" : "[";
      for (size_t i = 0; i < job.paragraphs[side].size(); ++i) {
        if (i) json += ',';
        AppendJsonString(json, job.paragraphs[side][i]);
      }
      json += ']';
    }
    json += "],\"shown\":" + GridToJson(job.shown) + ",\"locale\":\"" + job.locale + "\"}";
  }
  return json + "]";
}

}  // namespace

std::string ReadPackages(const std::vector<PackageJob>& jobs, const fs::path& dir) {
  std::vector<PackageJob> asked = jobs;
  if (!HaveLibreOffice())
    for (PackageJob& job : asked) job.libreoffice = false;
  const fs::path jobsFile = dir / "jobs.json";
  std::ofstream(jobsFile, std::ios::binary) << JobsToJson(asked);
  std::string output;
  const int status = RunCommand("/usr/bin/python3 " +
                                    ShellQuote((SourceDir() / "tests/formats/package/read_package.py").string()) + " " +
                                    ShellQuote(jobsFile.string()) + " 2>&1",
                                &output);
  if (status != 0 && output.empty()) output = "read_package.py failed with status " + std::to_string(status);
  return output;
}

bool HaveLibreOffice() { return RunCommand("command -v soffice >/dev/null 2>&1") == 0; }

}  // namespace verimo::test
