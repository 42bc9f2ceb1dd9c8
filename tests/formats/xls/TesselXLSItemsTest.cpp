#include <gtest/gtest.h>
#include <jpeglib.h>

#include <cstdio>
#include <fstream>

#include "core/Exception.h"
#include "engine/TesselIniFile.h"
#include "formats/xls/TesselXLS.h"
#include "platform/data/MemDataSet.h"
#include "platform/images/Picture.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;
using test::WriteFile;

// ---- small pictures ----

TRgbImage Stripes(int width, int height) {
  TRgbImage image;
  image.Width = width;
  image.Height = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      image.Pixels.push_back(static_cast<uint8_t>(x * 255 / width));
      image.Pixels.push_back(static_cast<uint8_t>(y * 255 / height));
      image.Pixels.push_back((x / 8 + y / 8) % 2 ? 200 : 40);
    }
  return image;
}

std::string EncodeJpeg(const TRgbImage& image) {
  jpeg_compress_struct info;
  jpeg_error_mgr error;
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(image.Width);
  info.image_height = static_cast<JDIMENSION>(image.Height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(image.Pixels.data()) + static_cast<size_t>(info.next_scanline) * image.Width * 3;
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::string bytes(reinterpret_cast<char*>(buffer), size);
  std::free(buffer);
  return bytes;
}

// A 1 × 1 GIF picture.
const std::string kGif("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\x00\x00\x00!\xf9\x04\x01\x00\x00\x00\x00,"
                       "\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02"
                       "D\x01\x00;",
                       43);

// ---- the checker ----

bool HaveLibreOffice() { return test::RunCommand("command -v soffice >/dev/null 2>&1") == 0; }

std::string RunChecker(const fs::path& jobs) {
  std::string output;
  const int status = test::RunCommand(
      "/usr/bin/python3 " + test::ShellQuote((test::SourceDir() / "tests/formats/xls/read_xls_items.py").string()) +
          " " + test::ShellQuote(jobs.string()) + (HaveLibreOffice() ? "" : " --no-libreoffice") + " 2>&1",
      &output);
  if (status != 0 && output.empty()) output = "read_xls_items.py failed with status " + std::to_string(status);
  return output;
}

void FillSales(TMemDataSet& data, int rows) {
  data.AddFieldDef(u"Bölge", ftString, 20);
  data.AddFieldDef(u"Satış", ftFloat);
  data.AddFieldDef(u"Adet", ftInteger);
  for (int i = 0; i < rows; ++i)
    data.AppendRecord({Variant::FromText(u"Bölge " + IntToWide(i + 1)), Variant::FromDouble(100.5 * (i + 1) + (i % 3) * 40),
                       Variant::FromInt(10 + 7 * i)});
  data.Open();
}

class XlsItemsTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-xls-items"); }
  void TearDown() override {
    if (!std::getenv("VERIMO_KEEP_TEST_FILES")) fs::remove_all(dir_);
  }

  void Configure(TTesselXLS& exporter, TDataSet& data, const std::string& name) {
    exporter.DataSet = &data;
    exporter.FileName = (dir_ / name).string();
    exporter.ShellLauncher = nullptr;
    exporter.TextMeasurer = &measurer_;
  }

  void LoadSettings(TTesselXLS& exporter, const std::string& text) {
    const fs::path path = dir_ / "settings.ini";
    WriteFile(path, text);
    TTesselIniFile file(path);
    file.ReadVersion();
    exporter.LoadSettings(file);
  }

  // Sheets "Kuzey" (3 rows), "Bos" (not exported) and "Guney" (5 rows), each
  // with a note and a chart over its own column: the second chart refers to
  // the second sheet written. The workbook's path.
  std::string ExportThreeSheetsOneSkipped() {
    TTesselXLS exporter;
    Configure(exporter, north_, "sheets.xls");
    FillSales(north_, 3);
    FillSales(south_, 5);
    for (const char16_t* title : {u"Kuzey", u"Bos", u"Guney"}) {
      auto sheet = std::make_unique<TxlsSheet>();
      sheet->LoadFromExporter(exporter);
      sheet->Title = title;
      sheet->DataSet = title == WideStringView(u"Kuzey") ? &north_ : &south_;
      sheet->Exported = title != WideStringView(u"Bos");
      sheet->Background.FileName = (dir_ / "p.png").string();  // no PNG backgrounds
      TxlsNote note;
      note.Row = 1;
      note.Col = 1;
      note.Lines.Add(u"not " + WideString(title));
      sheet->Notes.push_back(note);
      TxlsChart chart;
      chart.Series.push_back({u"Satış", clrRed, rtColumn, u"Satış", {}});
      sheet->Charts.push_back(chart);
      exporter.Sheets.push_back(std::move(sheet));
    }
    exporter.Execute();
    return exporter.FileName;
  }

  TMemDataSet north_;
  TMemDataSet south_;
  TFixedTextMeasurer measurer_{7};
  fs::path dir_;
};

// Every item type, from a settings file as the dialog saves it: notes (one
// longer than a record holds), a web and a local-file hyperlink with screen
// tips, typed preset cells, merged ranges (more than one record holds, and an
// incomplete one that is left out), a range of invalid items, and a chart, an
// image and a background that share the sheet's drawing with the notes.
const char kItemSettings[] =
    "[IniVersion]\r\nNumber=400\r\n"
    "[XLS_HYPERLINK_0]\r\nCol=5\r\nRow=1\r\nStyle=0\r\nTitle=Ana sayfa\r\nTarget=https://example.com/satış\r\n"
    "ScreenTip=Şirketin sitesi\r\n"
    "[XLS_HYPERLINK_1]\r\nCol=5\r\nRow=2\r\nStyle=1\r\nTitle=Rapor\r\nTarget=C:\\Raporlar\\yıl sonu.xls\r\n"
    "[XLS_HYPERLINK_2]\r\nCol=5\r\nRow=3\r\nTitle=\r\nTarget=https://example.com\r\n"
    "[XLS_NOTE_0]\r\nCol=1\r\nRow=1\r\nLine0=Bölge adı\r\nLine1=ikinci satır\r\n"
    "[XLS_NOTE_1]\r\nCol=2\r\nRow=3\r\nLine0=%LONG%\r\nFillType=1\r\nGradient=5\r\nTransparency=30\r\n"
    "[XLS_NOTE_2]\r\nCol=0\r\nRow=3\r\nLine0=geçersiz\r\n"
    "[XLS_CELL_0]\r\nRow=10\r\nCol=1\r\nCellType=3\r\nValue=Toplam: ğüşiöç\r\nFontBold=1\r\n"
    "[XLS_CELL_1]\r\nRow=10\r\nCol=2\r\nCellType=2\r\nValue=1234.5\r\nNumericFormat=0.00\r\n"
    "[XLS_CELL_2]\r\nRow=10\r\nCol=3\r\nCellType=0\r\nValue=1\r\n"
    "[XLS_CELL_3]\r\nRow=10\r\nCol=4\r\nCellType=1\r\nValue=45292.5\r\nDateTimeFormat=dd/mm/yyyy hh:nn\r\n"
    "[XLS_CELL_4]\r\nRow=0\r\nCol=4\r\nCellType=3\r\nValue=yok\r\n"
    "[XLS_CHART_0]\r\nTitle=Satışlar\r\nStyle=4\r\nCategoryLabelsColumn=Bölge\r\nSeriesCount=1\r\n"
    "Series0_Title=Satış\r\nSeries0_DataColumn=Satış\r\nPlacement=1\r\n"
    "[XLS_PICTURE_0]\r\nName=Logo\r\nFileName=%DIR%/logo.png\r\n"
    "[XLS_IMAGE_0]\r\nPictureName=logo\r\nCol=6\r\nRow=3\r\nZoom=50\r\n"
    "[XLS]\r\nPageBackground=%DIR%/logo.bmp\r\n"
    "[XLS_MERGED_CELL_0]\r\nFirstCol=1\r\nFirstRow=12\r\nLastCol=4\r\nLastRow=13\r\n"
    "[XLS_MERGED_CELL_1]\r\nFirstCol=1\r\nFirstRow=0\r\nLastCol=4\r\nLastRow=13\r\n"
    "%MANY%";

TEST_F(XlsItemsTest, EveryItemTypeFromASettingsFileReadsBack) {
  std::string settings = kItemSettings;
  std::string longText;
  for (int i = 0; longText.size() < 9000; ++i) longText += "uzun not " + std::to_string(i) + " ";
  settings.replace(settings.find("%LONG%"), 6, longText);
  std::string many;
  for (int i = 0; i < 1100; ++i)
    many += "[XLS_MERGED_CELL_" + std::to_string(i + 2) + "]\r\nFirstCol=7\r\nFirstRow=" + std::to_string(i + 20) +
            "\r\nLastCol=8\r\nLastRow=" + std::to_string(i + 20) + "\r\n";
  settings.replace(settings.find("%MANY%"), 6, many);
  for (size_t at; (at = settings.find("%DIR%")) != std::string::npos;) settings.replace(at, 5, dir_.string());
  WriteFile(dir_ / "logo.png", EncodePng(Stripes(64, 48)));
  WriteFile(dir_ / "logo.bmp", EncodeBmp24(Stripes(64, 48)));

  TMemDataSet data;
  FillSales(data, 5);
  TTesselXLS exporter;
  Configure(exporter, data, "items.xls");
  LoadSettings(exporter, settings);
  ASSERT_EQ(exporter.Hyperlinks.size(), 3u);
  ASSERT_EQ(exporter.MergedCells.size(), 1102u);
  exporter.Execute();

  // Settings written back hold the same items (the settings file is
  // rewritten at every key, so a few ranges do).
  exporter.MergedCells.resize(3);
  const fs::path saved = dir_ / "saved.ini";
  {
    TTesselIniFile file(saved);
    file.Version = 400;
    exporter.SaveSettings(file);
  }
  TTesselXLS reloaded;
  {
    TTesselIniFile file(saved);
    file.Version = 400;
    reloaded.LoadSettings(file);
  }
  ASSERT_EQ(reloaded.Notes.size(), 3u);
  EXPECT_EQ(reloaded.Notes[1].Text(), Trim(Utf8ToWide(longText)));
  EXPECT_EQ(reloaded.Cells[3].DateTimeValue, 45292.5);
  EXPECT_EQ(reloaded.Hyperlinks[1].Target, u"C:\\Raporlar\\yıl sonu.xls");
  EXPECT_EQ(reloaded.MergedCells.size(), 3u);

  std::string jobs = R"({"items": {"file": ")" + exporter.FileName + R"(",
    "notes": [[0, 0, "Bölge adı\nikinci satır"], [2, 1, ")" + longText.substr(0, longText.size() - 1) + R"("]],
    "links": [[0, 4, "url", "https://example.com/satış", "Ana sayfa", "Şirketin sitesi"],
              [1, 4, "local file", "C:\\Raporlar\\yıl sonu.xls", "Rapor", null]],
    "merged": 1101, "merged_first": [11, 13, 0, 4],
    "cells": [[9, 0, "s", "Toplam: ğüşiöç"], [9, 1, "n", 1234.5], [9, 2, "b", 1], [9, 3, "d", 45292.5],
              [0, 4, "s", "Ana sayfa"], [1, 0, "s", "Bölge 1"]]},
    "libreoffice": [")" + exporter.FileName + R"("]})";
  const fs::path jobsFile = dir_ / "jobs.json";
  WriteFile(jobsFile, jobs);
  EXPECT_EQ(RunChecker(jobsFile), "");
}

// A chart of each style family over the exported columns, pictures of every
// stored kind (a GIF is stored as PNG) and a JPEG background, on a sheet that
// LibreOffice converts to XLSX.
TEST_F(XlsItemsTest, ChartsAndPicturesSurviveTheConversionToXlsx) {
  WriteFile(dir_ / "p.png", EncodePng(Stripes(96, 64)));
  WriteFile(dir_ / "p.jpg", EncodeJpeg(Stripes(80, 60)));
  WriteFile(dir_ / "p.bmp", EncodeBmp24(Stripes(40, 30)));
  WriteFile(dir_ / "p.gif", kGif);
  TMemDataSet data;
  FillSales(data, 6);
  TTesselXLS exporter;
  Configure(exporter, data, "charts.xls");
  exporter.Background.FileName = (dir_ / "p.jpg").string();
  for (const char* name : {"p.png", "p.jpg", "p.bmp", "p.gif", "missing.png"}) {
    TxlsPicture& picture = exporter.Pictures.Add();
    picture.FileName = (dir_ / name).string();
  }
  for (int i = 0; i < 5; ++i) {
    TxlsImage& image = exporter.Images.Add();
    image.PictureName = u"Picture_" + IntToWide(i);
    image.Col = static_cast<uint16_t>(5 + 2 * i);
    image.Row = 1;
  }
  const TxlsChartStyle styles[] = {xcsColumn, xcsBar, xcsLine, xcsPie, xcsArea, xcsRadar, xcsSurface};
  for (size_t i = 0; i < std::size(styles); ++i) {
    TxlsChart chart;
    chart.Style = styles[i];
    chart.Title = u"Grafik " + IntToWide(static_cast<long long>(i));
    chart.CategoryLabelsColumn = u"Bölge";
    TxlsChartSeries series;
    series.Title = u"Satış";
    series.DataColumn = u"Satış";
    chart.Series.push_back(series);
    series.Title = u"Adet";
    series.DataColumn = u"adet";
    chart.Series.push_back(series);
    chart.Position.PositionType = cptCustom;
    chart.Position.CustomPosition = {static_cast<uint8_t>(1 + 6 * (i % 3)), static_cast<uint8_t>(6 + 6 * (i % 3)),
                                     static_cast<uint16_t>(12 + 12 * (i / 3)), static_cast<uint16_t>(23 + 12 * (i / 3))};
    exporter.Charts.push_back(chart);
  }
  TxlsChart automatic;  // below the data; its column is not exported
  automatic.Series.push_back({u"Yok", clrAqua, rtColumn, u"Eksik", {}});
  exporter.Charts.push_back(automatic);
  exporter.Execute();

  const std::string sheets = ExportThreeSheetsOneSkipped();
  const std::string jobs = R"({"charts": [{"file": ")" + exporter.FileName + R"(", "count": 8,
    "refs": ["$B$2:$B$7", "$C$2:$C$7", "$A$2:$A$7"], "media": 4, "bitmaps": [[80, 60]]},
    {"file": ")" + sheets + R"(", "count": 2, "refs": ["Kuzey!$B$2:$B$4", "Guney!$B$2:$B$6"], "media": 0,
     "bitmaps": []}],
    "items": [{"file": ")" + sheets + R"(", "sheet": 0, "notes": [[0, 0, "not Kuzey"]], "links": [], "merged": 0, "cells": []},
              {"file": ")" + sheets + R"(", "sheet": 1, "notes": [[0, 0, "not Guney"]], "links": [], "merged": 0, "cells": []}],
    "libreoffice": [")" + exporter.FileName + R"(", ")" + sheets + R"("]})";
  const fs::path jobsFile = dir_ / "jobs.json";
  WriteFile(jobsFile, jobs);
  if (!HaveLibreOffice()) GTEST_SKIP() << "soffice not installed; the conversion is not checked";
  EXPECT_EQ(RunChecker(jobsFile), "");
}

TEST_F(XlsItemsTest, AnEmptyPictureNameFailsBeforeTheFileIsWritten) {
  TMemDataSet data;
  FillSales(data, 1);
  TTesselXLS exporter;
  Configure(exporter, data, "empty.xls");
  exporter.Pictures.Add().Name.clear();
  try {
    exporter.Execute();
    ADD_FAILURE() << "no failure";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), u"A picture name cannot be empty");
  }
  EXPECT_FALSE(fs::exists(exporter.FileName));
}

TEST_F(XlsItemsTest, PictureNamesAndPictureHeaders) {
  TxlsPictures pictures;
  EXPECT_EQ(pictures.Add().Name, u"Picture_0");
  EXPECT_EQ(pictures.Add().Name, u"Picture_1");
  pictures[0].Name = u"Logo";
  EXPECT_EQ(pictures.Add().Name, u"Picture_0");
  EXPECT_EQ(pictures.PositionOf(u"LOGO"), 1);
  EXPECT_EQ(pictures.PositionOf(u"yok"), -1);
  EXPECT_THROW(TxlsPictures::CheckName(u""), Exception);

  const TPictureInfo gif = ReadPictureInfo(kGif);
  EXPECT_EQ(gif.Format, TPictureFormat::Gif);
  EXPECT_EQ(gif.Width, 1);
  const TPictureInfo jpeg = ReadPictureInfo(EncodeJpeg(Stripes(33, 17)));
  EXPECT_EQ(jpeg.Format, TPictureFormat::Jpeg);
  EXPECT_EQ(jpeg.Width, 33);
  EXPECT_EQ(jpeg.Height, 17);
  const TRgbImage decoded = DecodePicture(EncodeBmp24(Stripes(5, 3)));
  EXPECT_EQ(decoded.Pixels, Stripes(5, 3).Pixels);
  EXPECT_EQ(ReadPictureInfo("not a picture").Format, TPictureFormat::Unknown);
  EXPECT_THROW(DecodePicture(std::string("\x89PNG\r\n\x1a\n", 8) + std::string(40, '\0')), Exception);
}

}  // namespace
}  // namespace verimo
