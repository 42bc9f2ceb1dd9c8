#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "engine/Tessel.h"
#include "engine/TesselWriter.h"
#include "core/Exception.h"
#include "platform/codepage/CodePage.h"
#include "tests/support/TestPaths.h"

namespace verimo {
namespace {

std::string Hex(std::string_view bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

// Keeps a system code page and puts it back.
class TCodePageScope {
 public:
  TCodePageScope(TSystemCodePage which, int codePage) : which_(which), saved_(SystemCodePage(which)) {
    SetSystemCodePage(which, codePage);
  }
  ~TCodePageScope() { SetSystemCodePage(which_, saved_); }

 private:
  TSystemCodePage which_;
  int saved_;
};

std::string Encoded(TTesselOutputEncoding encoding, WideStringView text, bool signature = false) {
  TTessel owner;
  owner.SetOutputEncoding(encoding);
  TMemoryStream stream;
  TTesselWriter writer(&owner, &stream);
  if (signature) writer.WriteSignature();
  writer.Write(text);
  return std::string(stream.View());
}

TEST(TesselWriterTest, EncodesInEveryOutputEncoding) {
  EXPECT_EQ(Hex(Encoded(oeUTF8, u"\u00e4")), "C3 A4");
  EXPECT_EQ(Hex(Encoded(oeUTF16, u"\u00e4")), "E4 00");
  EXPECT_EQ(Hex(Encoded(oeUTF32, u"\u00e4")), "E4 00 00 00");
  EXPECT_EQ(Hex(Encoded(oeUTF32, u"\U0001F600")), "00 F6 01 00");
  EXPECT_EQ(Hex(Encoded(oeUTF8, u"\U0001F600")), "F0 9F 98 80");
  // A lone surrogate cannot be encoded as such.
  EXPECT_EQ(Hex(Encoded(oeUTF8, WideString(1, char16_t(0xD800)))), "EF BF BD");
  {
    TCodePageScope ansi(TSystemCodePage::Ansi, 1252);
    EXPECT_EQ(Hex(Encoded(oeAnsi, u"\u00e4")), "E4");
  }
  {
    TCodePageScope ansi(TSystemCodePage::Ansi, 1254);
    TCodePageScope oem(TSystemCodePage::Oem, 857);
    EXPECT_EQ(Hex(Encoded(oeAnsi, u"\u011f\u0130")), "F0 DD");
    EXPECT_EQ(Hex(Encoded(oeOem, u"\u011f\u0130")), "A7 98");
    EXPECT_EQ(Encoded(oeAnsi, u"\u4e2d"), "?");
  }
  EXPECT_EQ(Encoded(static_cast<TTesselOutputEncoding>(5), u"abc"), "");
}

TEST(TesselWriterTest, SignaturesOnlyForTheUnicodeEncodings) {
  EXPECT_EQ(Hex(Encoded(oeUTF8, u"", true)), "EF BB BF");
  EXPECT_EQ(Hex(Encoded(oeUTF16, u"", true)), "FF FE");
  EXPECT_EQ(Hex(Encoded(oeUTF32, u"", true)), "FF FE 00 00");
  EXPECT_EQ(Encoded(oeAnsi, u"", true), "");
  EXPECT_EQ(Encoded(oeMac, u"", true), "");
}

TEST(TesselWriterTest, LineHelpersEndWithCrLf) {
  TTessel owner;
  TMemoryStream stream;
  TTesselWriter writer(&owner, &stream);
  writer.WriteLn(u"a");
  writer.EmptyLine();
  writer.CharLine(u'-', 3);
  writer.CharLine(u'-', -1);
  EXPECT_EQ(std::string(stream.View()), "a\r\n\r\n---\r\n\r\n");

  TTesselWriter orphan(nullptr, &stream);
  orphan.WriteLn(u"lost");
  EXPECT_EQ(stream.Size(), 12);
}

// A format's writer that passes its texts on unchanged: its lines go
// through Write, the base writer's lines are encoded straight away.
class TPassingWriter : public TTesselWriter {
 public:
  using TTesselWriter::TTesselWriter;
  void Write(WideStringView text) override { TTesselWriter::Write(text); }
};

TEST(TesselWriterTest, LinesAreTheSameBytesWithOrWithoutAFormatsWrite) {
  TCodePageScope ansi(TSystemCodePage::Ansi, 1254);
  const WideStringView lines[] = {u"", u"plain", u"\u011f\u00e4\u4e2d", u"pair \U0001F600", u"lone \xD83D",
                                  u"\xDE00 lone"};
  for (const TTesselOutputEncoding encoding : {oeAnsi, oeOem, oeMac, oeUTF8, oeUTF16, oeUTF32}) {
    TTessel owner;
    owner.SetOutputEncoding(encoding);
    TMemoryStream direct;
    TMemoryStream passed;
    TTesselWriter base(&owner, &direct);
    TPassingWriter format(&owner, &passed);
    for (const WideStringView line : lines) {
      base.WriteLn(line);
      format.WriteLn(line);
    }
    EXPECT_EQ(Hex(direct.View()), Hex(passed.View())) << "encoding " << encoding;
  }
}

TEST(TesselWriterTest, PaddingCutsOrFills) {
  EXPECT_EQ(TTesselWriter::PadCenter(u"ab", u'*', 7), u"**ab***");
  EXPECT_EQ(TTesselWriter::PadLeft(u"abcdef", u' ', 3), u"abc");
  EXPECT_EQ(TTesselWriter::PadLeft(u"ab", u'.', 4), u"..ab");
  EXPECT_EQ(TTesselWriter::PadRight(u"ab", u'.', 4), u"ab..");
  EXPECT_EQ(TTesselWriter::PadRight(u"ab", u'.', -2), u"");
  EXPECT_EQ(TTesselWriter::PadCenter(u"abc", u'.', 2), u"ab");
}

TEST(TesselWriterTest, AlignmentNames) {
  TTesselWriter writer(nullptr, nullptr);
  EXPECT_EQ(writer.AlignToStr(ecaLeft), u"Left alignment");
  EXPECT_EQ(writer.AlignToStr(ecaCenter), u"Center alignment");
  EXPECT_EQ(writer.AlignToStr(ecaRight), u"Right alignment");
  EXPECT_EQ(writer.AlignToStr(static_cast<TTesselColAlign>(7)), u"Unknown alignment");
}

std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(TesselStreamTest, FileStreamPatchesGrowsAndReadsBack) {
  const auto dir = test::MakeTempDir("verimo-stream");
  const auto path = dir / "out.bin";
  {
    TFileStream file(path, TFileStream::TMode::Create);
    // More than one buffer's worth, so some bytes reach the disk early.
    const std::string block(300 * 1024, 'x');
    file.Write(block);
    file.SetPosition(0);
    file.Write("HEAD");
    EXPECT_EQ(file.Size(), static_cast<int64_t>(block.size()));
    file.Seek(10, TSeekOrigin::End);
    file.Write("T");
    EXPECT_EQ(file.Size(), static_cast<int64_t>(block.size() + 11));
    file.SetPosition(0);
    char head[5] = {};
    file.ReadBuffer(head, 4);
    EXPECT_STREQ(head, "HEAD");
    EXPECT_THROW(file.Seek(-1, TSeekOrigin::Begin), Exception);
    file.Close();
    EXPECT_THROW(file.Write("x"), Exception);
  }
  const std::string written = ReadWholeFile(path);
  ASSERT_EQ(written.size(), 300u * 1024 + 11);
  EXPECT_EQ(written.substr(0, 6), "HEADxx");
  EXPECT_EQ(written.substr(300 * 1024, 11), std::string(10, '\0') + "T");

  TFileStream reopened(path, TFileStream::TMode::OpenWrite);
  reopened.SetSize(4);
  reopened.Close();
  EXPECT_EQ(ReadWholeFile(path), "HEAD");
  std::filesystem::remove_all(dir);
}

TEST(TesselStreamTest, OpeningAMissingFileNamesIt) {
  try {
    TFileStream file("/nonexistent-dir/x.txt", TFileStream::TMode::Create);
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.what()).find("/nonexistent-dir/x.txt"), std::string::npos);
  }
}

TEST(TesselStreamTest, MemoryAndNullStreams) {
  TMemoryStream memory;
  memory.Write("abcdef");
  memory.SetPosition(2);
  memory.Write("ZZ");
  memory.SetSize(5);
  EXPECT_EQ(memory.View(), "abZZe");
  memory.Seek(2, TSeekOrigin::End);
  memory.Write("!");
  EXPECT_EQ(memory.View(), std::string_view("abZZe\0\0!", 8));

  TMemoryStream copy;
  memory.SetPosition(2);
  EXPECT_EQ(copy.CopyFrom(memory, 3), 3);
  EXPECT_EQ(copy.View(), "ZZe");

  TNullStream null;
  null.Write("12345");
  null.SetPosition(1);
  null.Write("1");
  EXPECT_EQ(null.Size(), 5);
  EXPECT_EQ(null.Position(), 2);
}

}  // namespace
}  // namespace verimo
