#include "platform/codepage/CodePage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/Exception.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

const WideString kTurkish = u"Şişli ğüİı Ç";

// Expected bytes as Python's own codecs give them.
TEST(CodePageTest, EncodesTurkishTextToEachFamily) {
  EXPECT_EQ(Hex(EncodeToCodePage(kTurkish, 1254)), "de 69 fe 6c 69 20 f0 fc dd fd 20 c7");
  EXPECT_EQ(Hex(EncodeToCodePage(kTurkish, 857)), "9e 69 9f 6c 69 20 a7 81 98 8d 20 80");
  EXPECT_EQ(Hex(EncodeToCodePage(kTurkish, 10081)), "de 69 df 6c 69 20 db 9f dc dd 20 82");
  EXPECT_EQ(Hex(EncodeToCodePage(kTurkish, 852)), "b8 69 ad 6c 69 20 3f 81 3f 3f 20 80");
  EXPECT_EQ(Hex(EncodeToCodePage(u"€", 1252)), "80");
  EXPECT_EQ(Hex(EncodeToCodePage(u"Ж", 866)), "86");
}

TEST(CodePageTest, UnmappableCharactersBecomeOneQuestionMarkEach) {
  EXPECT_EQ(Hex(EncodeToCodePage(kTurkish, 1252)), "3f 69 3f 6c 69 20 3f fc 3f 3f 20 c7");
  EXPECT_EQ(Hex(EncodeToCodePage(kTurkish, 437)), "3f 69 3f 6c 69 20 3f 81 3f 3f 20 80");
  // A character outside the BMP is one "?", not one per surrogate.
  EXPECT_EQ(EncodeToCodePage(u"a\U0001F600b", 1252), "a?b");
  // No best-fit substitutes: "ł" is not silently written as "l".
  EXPECT_EQ(EncodeToCodePage(u"ł", 1252), "?");
}

TEST(CodePageTest, ComposesBeforeConverting) {
  // S + combining cedilla and i + combining diaeresis compose to characters 1254 holds.
  EXPECT_EQ(Hex(EncodeToCodePage(u"S\u0327\u0131", 1254)), "de fd");
  EXPECT_EQ(Hex(EncodeToCodePage(u"u\u0308", 437)), "81");
}

TEST(CodePageTest, EmptyTextAndTextThatConvertsToNothing) {
  EXPECT_EQ(EncodeToCodePage(u"", 1254), "");
  EXPECT_EQ(DecodeFromCodePage("", 857), u"");
  // A default-ignorable character is still a character the code page lacks.
  size_t lost = 0;
  EXPECT_EQ(EncodeToCodePage(u"\u200B", 1252, &lost), "?");
  EXPECT_EQ(lost, 1u);
}

TEST(CodePageTest, DecodesRoundTripAndUndefinedBytes) {
  for (int codePage : {1254, 857, 10081, 1250, 852, 850, 866, 1251, 1253, 1252, 437, 10000})
    EXPECT_EQ(DecodeFromCodePage(EncodeToCodePage(u"Az09 ,.;", codePage), codePage), u"Az09 ,.;")
        << codePage;
  for (int codePage : {1254, 857, 10081})
    EXPECT_EQ(DecodeFromCodePage(EncodeToCodePage(kTurkish, codePage), codePage), kTurkish)
        << codePage;
  // Bytes Microsoft's table leaves undefined stand for no character.
  EXPECT_EQ(DecodeFromCodePage("\x81", 1252), u"\uFFFD");
  EXPECT_EQ(DecodeFromCodePage("a\xff", 1253), u"a\uFFFD");
  EXPECT_EQ(DecodeFromCodePage("\xd6\xd0\xce\xc4", 936), u"中文");
  // A multi-byte character cut off at the end is replaced, not dropped silently.
  EXPECT_EQ(DecodeFromCodePage("a\xd6", 936), u"a\uFFFD");
  EXPECT_EQ(DecodeFromCodePage("\xeb\xf8\xbe\xf4", 1051), u"Š½ƒ¶");
}

TEST(CodePageTest, UnknownCodePagesRaise) {
  EXPECT_THROW(EncodeToCodePage(u"x", 4242), Exception);
  EXPECT_THROW(DecodeFromCodePage("x", 0), Exception);
  EXPECT_THROW(SetSystemCodePage(TSystemCodePage::Ansi, 4242), Exception);
  EXPECT_FALSE(IsSupportedCodePage(4242));
  EXPECT_TRUE(IsSupportedCodePage(857));
}

TEST(CodePageTest, SystemCodePagesFollowTheLocaleUnlessOverridden) {
  EXPECT_EQ(LocaleSystemCodePage(TSystemCodePage::Ansi, "tr_TR.UTF-8"), 1254);
  EXPECT_EQ(LocaleSystemCodePage(TSystemCodePage::Oem, "tr_TR"), 857);
  EXPECT_EQ(LocaleSystemCodePage(TSystemCodePage::Mac, "tr"), 10081);
  EXPECT_EQ(LocaleSystemCodePage(TSystemCodePage::Ansi, "en_US.UTF-8"), 1252);
  EXPECT_EQ(LocaleSystemCodePage(TSystemCodePage::Oem, "de_DE"), 437);
  EXPECT_EQ(LocaleSystemCodePage(TSystemCodePage::Mac, "C"), 10000);

  setenv("LC_ALL", "tr_TR.UTF-8", 1);
  EXPECT_EQ(SystemCodePage(TSystemCodePage::Oem), 857);
  SetSystemCodePage(TSystemCodePage::Oem, 850);
  EXPECT_EQ(SystemCodePage(TSystemCodePage::Oem), 850);
  EXPECT_EQ(SystemCodePage(TSystemCodePage::Ansi), 1254);
  SetSystemCodePage(TSystemCodePage::Oem, 0);
  EXPECT_EQ(SystemCodePage(TSystemCodePage::Oem), 857);
  unsetenv("LC_ALL");
}

TEST(CodePageTest, SingleByteTablesHoldWhatTheirBytesDecodeTo) {
  const TSingleByteCodePage* windows1254 = TSingleByteCodePage::Find(1254);
  ASSERT_NE(windows1254, nullptr);
  EXPECT_EQ(windows1254->Decode(0xDD), u'\u0130');  // İ
  EXPECT_EQ(windows1254->Decode(0xFD), u'\u0131');  // ı
  EXPECT_EQ(windows1254->Decode('A'), u'A');
  const TSingleByteCodePage* ibm857 = TSingleByteCodePage::Find(857);
  ASSERT_NE(ibm857, nullptr);
  EXPECT_EQ(ibm857->Decode(0x98), u'\u0130');
  EXPECT_EQ(TSingleByteCodePage::Find(1254), windows1254) << "built once";
  EXPECT_EQ(TSingleByteCodePage::Find(936), nullptr) << "multi-byte";
  EXPECT_EQ(TSingleByteCodePage::Find(65001), nullptr) << "multi-byte";
  EXPECT_THROW(TSingleByteCodePage::Find(4711), Exception);
  // Undefined bytes, Mac and HP Roman-8 through their tables (the values
  // are those Python's codecs give).
  EXPECT_EQ(DecodeFromCodePage("a\xFF", 1253), u"a\uFFFD");
  EXPECT_EQ(DecodeFromCodePage("\xD8\xDD", 10081), u"\u00FF\u0131");
  EXPECT_EQ(DecodeFromCodePage("\xB5", 1051), u"\u00E7");
  // A multi-byte code page still goes through its converter.
  EXPECT_EQ(DecodeFromCodePage("\xC4\xE3", 936), u"\u4F60");
  WideString reused = u"old text that is longer";
  DecodeFromCodePage("\xDE\xE7", 1254, reused);
  EXPECT_EQ(reused, u"\u015E\u00E7");
}

TEST(CodePageTest, EncodersGiveWhatTheConverterGives) {
  const WideString texts[] = {
      u"plain ASCII, 123",
      u"\u0130stanbul \u015Fi\u015Fli \u00E7\u00F6\u011F\u00FC\u0131",  // Turkish letters
      u"e\u0301 composed before converting",
      u"\u00E9 and \u0065\u0301 side by side",
      u"\u4E2D\u6587 not in the code page",
      u"\U0001F600 outside the BMP",
      u"lone \xD800 surrogate",
      u"\u20AC euro \u2122 \u0178",
      u"",
  };
  for (int codePage : {1254, 1252, 857, 437, 10081, 10000, 1250, 1251, 866, 936, 65001}) {
    TCodePageEncoder encoder(codePage);
    for (int pass = 0; pass < 2; ++pass) {  // the second pass runs on learned characters
      for (const WideString& text : texts) {
        std::string out = "kept";
        encoder.Append(text, out);
        EXPECT_EQ(Hex(out), Hex("kept" + EncodeToCodePage(text, codePage))) << codePage << " pass " << pass;
      }
    }
  }
  EXPECT_THROW(TCodePageEncoder(4711), Exception);
}

// The vectorised copy stops exactly at the first unit above ASCII, wherever
// it falls among the blocks of sixteen and eight.
TEST(CodePageTest, AsciiPrefixEndsAtTheFirstOtherUnit) {
  for (size_t length = 0; length <= 40; ++length) {
    WideString text;
    for (size_t i = 0; i < length; ++i) text += static_cast<char16_t>(u'a' + i % 26);
    for (size_t stop = 0; stop <= length; ++stop) {
      for (const char16_t other : {u'\u0080', u'\u00FF', u'\u0130', u'\uFFFF'}) {
        WideString probe = text;
        if (stop < length) probe[stop] = other;
        std::string target(length + 16, '#');
        ASSERT_EQ(CopyAsciiPrefix(probe, target.data()), stop) << length << " " << stop;
        EXPECT_EQ(target.substr(0, stop), std::string(probe.begin(), probe.begin() + static_cast<long>(stop)));
      }
    }
  }
}

// Every byte of every single-byte code page decodes as Python's codec
// (Microsoft's tables) decodes it, and every character of the basic plane
// encodes as the codec encodes it: its byte, or "?" when it has none.
// Python takes the code pages and codecs from the table generator itself.
constexpr const char* kCompareWithCodecs = R"PY(
import importlib.util, struct, sys
found = importlib.util.spec_from_file_location('gen', sys.argv[1])
gen = importlib.util.module_from_spec(found); found.loader.exec_module(gen)
data = open(sys.argv[2], 'rb').read()
plane = ''.join(chr(c) for c in range(0x10000) if not 0xD800 <= c <= 0xDFFF)
problems, seen, at = [], [], 0
while at < len(data):
    code_page, = struct.unpack_from('<i', data, at); at += 4
    decoded = data[at:at + 512].decode('utf-16-le'); at += 512
    encoded = data[at:at + len(plane)]; at += len(plane)
    seen.append(code_page)
    codec = gen.CODECS.get(code_page)
    if codec is None:
        problems.append('%d: no codec' % code_page); continue
    want = bytes(range(256)).decode(codec, 'replace')
    for byte in range(256):
        if decoded[byte] != want[byte]:
            problems.append('%d: byte %02X decodes to U+%04X, not U+%04X' % (code_page, byte, ord(decoded[byte]), ord(want[byte])))
    want = plane.encode(codec, 'replace')
    if encoded != want:
        wrong = [i for i in range(len(plane)) if encoded[i] != want[i]]
        problems += ['%d: U+%04X encodes to %02X, not %02X' % (code_page, ord(plane[i]), encoded[i], want[i]) for i in wrong[:5]]
if sorted(seen) != sorted(gen.CODECS):
    problems.append('code pages %s, the generator has %s' % (sorted(seen), sorted(gen.CODECS)))
print('\n'.join(problems[:40]) if problems else 'ok')
)PY";

TEST(CodePageTest, SingleByteCodePagesMapAsPythonsCodecsInBothDirections) {
  const std::filesystem::path dir = test::MakeTempDir("verimo-codepages");
  std::ofstream dump(dir / "tables.bin", std::ios::binary);
  for (int codePage : SingleByteCodePages()) {
    const TSingleByteCodePage* table = TSingleByteCodePage::Find(codePage);
    ASSERT_NE(table, nullptr) << codePage;
    dump.write(reinterpret_cast<const char*>(&codePage), 4);
    for (int byte = 0; byte < 256; ++byte) {
      const char16_t ch = table->Decode(static_cast<uint8_t>(byte));
      const char units[2] = {static_cast<char>(ch & 0xFF), static_cast<char>(ch >> 8)};
      dump.write(units, 2);
    }
    std::string encoded;
    for (uint32_t ch = 0; ch < 0x10000; ++ch) {
      if (ch >= 0xD800 && ch <= 0xDFFF) continue;
      const int byte = table->Encode(static_cast<char16_t>(ch));
      encoded += byte < 0 ? '?' : static_cast<char>(byte);
    }
    dump.write(encoded.data(), static_cast<std::streamsize>(encoded.size()));
  }
  dump.close();
  std::ofstream(dir / "compare.py") << kCompareWithCodecs;
  std::string output;
  const int status = test::RunCommand(
      "/usr/bin/python3 " + test::ShellQuote((dir / "compare.py").string()) + " " +
          test::ShellQuote((test::SourceDir() / "tools" / "gen-codepage-tables.py").string()) + " " +
          test::ShellQuote((dir / "tables.bin").string()) + " 2>&1",
      &output);
  std::filesystem::remove_all(dir);
  EXPECT_EQ(status, 0) << output;
  EXPECT_EQ(output, "ok\n");
}

// The bytes the issue reports decoded through IBM's tables, now Microsoft's.
TEST(CodePageTest, OemCodePagesDecodeAsWindowsDecodesThem) {
  EXPECT_EQ(DecodeFromCodePage("\xE6", 437), u"\u00B5");
  EXPECT_EQ(DecodeFromCodePage("\xAA", 852), u"\u00AC");
  EXPECT_EQ(DecodeFromCodePage("\x88", 869), u"\u00B7");
  EXPECT_EQ(EncodeToCodePage(u"\u00B5\u00AC", 437), "\xE6\xAA");
}

TEST(CodePageTest, EveryWayOfEncodingCountsTheCharactersItLost) {
  size_t lost = 99;
  EXPECT_EQ(EncodeToCodePage(u"Şişli ğüİı Ç", 1252, &lost), "?i?li ?\xFC?? \xC7");
  EXPECT_EQ(lost, 5u);
  EXPECT_EQ(EncodeToCodePage(u"a\U0001F600b\xD800", 1254, &lost), "a?b?");
  EXPECT_EQ(lost, 2u);
  EXPECT_EQ(EncodeToCodePage(u"Привет", 1251, &lost), "\xCF\xF0\xE8\xE2\xE5\xF2");
  EXPECT_EQ(lost, 0u);
  EXPECT_EQ(EncodeToCodePage(u"日本語Ж", 932, &lost).size(), 8u);
  EXPECT_EQ(lost, 0u);
  EXPECT_EQ(EncodeToCodePage(u"中ğ", 932, &lost).size(), 3u) << "through the converter";
  EXPECT_EQ(lost, 1u);
  for (int codePage : {1252, 437, 932}) {
    TCodePageEncoder encoder(codePage);
    for (int pass = 0; pass < 2; ++pass) {
      std::string out;
      EXPECT_EQ(encoder.Append(u"Ad Привет ğ e\u0301", out), encoder.CountLost(u"Ad Привет ğ e\u0301")) << codePage;
      size_t direct = 0;
      EncodeToCodePage(u"Ad Привет ğ e\u0301", codePage, &direct);
      EXPECT_EQ(encoder.CountLost(u"Ad Привет ğ e\u0301"), direct) << codePage;
      EXPECT_EQ(encoder.CountLost(u"plain"), 0u);
    }
  }
  EXPECT_EQ(TCodePageEncoder(1252).CountLost(u"Привет"), 6u);
}

}  // namespace
}  // namespace verimo
