#include "platform/codepage/SystemCodePages.h"

#include <array>
#include <string>

#include "platform/codepage/CodePage.h"

namespace verimo {

namespace {

struct TFamilyMember {
  int codePage;
  TCodePageFamily family;
};

constexpr TCodePageFamily kWestern{1252, 437, 10000};
constexpr TCodePageFamily kCentralEuropean{1250, 852, 10029};
constexpr TCodePageFamily kCyrillic{1251, 866, 10007};
constexpr TCodePageFamily kGreek{1253, 737, 10006};
constexpr TCodePageFamily kTurkish{1254, 857, 10081};

constexpr std::array kMembers = {
    TFamilyMember{437, kWestern},          TFamilyMember{850, kWestern},
    TFamilyMember{858, kWestern},          TFamilyMember{860, kWestern},
    TFamilyMember{861, kWestern},          TFamilyMember{863, kWestern},
    TFamilyMember{865, kWestern},          TFamilyMember{1252, kWestern},
    TFamilyMember{1051, kWestern},         TFamilyMember{10000, kWestern},
    TFamilyMember{28591, kWestern},        TFamilyMember{28605, kWestern},
    TFamilyMember{852, kCentralEuropean},  TFamilyMember{1250, kCentralEuropean},
    TFamilyMember{10029, kCentralEuropean}, TFamilyMember{28592, kCentralEuropean},
    TFamilyMember{855, kCyrillic},         TFamilyMember{866, kCyrillic},
    TFamilyMember{1251, kCyrillic},        TFamilyMember{10007, kCyrillic},
    TFamilyMember{28595, kCyrillic},       TFamilyMember{737, kGreek},
    TFamilyMember{869, kGreek},            TFamilyMember{1253, kGreek},
    TFamilyMember{10006, kGreek},          TFamilyMember{28597, kGreek},
    TFamilyMember{857, kTurkish},          TFamilyMember{1254, kTurkish},
    TFamilyMember{10081, kTurkish},        TFamilyMember{28599, kTurkish},
    TFamilyMember{775, {1257, 775, 10000}}, TFamilyMember{1257, {1257, 775, 10000}},
    TFamilyMember{862, {1255, 862, 10000}}, TFamilyMember{1255, {1255, 862, 10000}},
    TFamilyMember{864, {1256, 864, 10000}}, TFamilyMember{1256, {1256, 864, 10000}},
    TFamilyMember{874, {874, 874, 10000}},  TFamilyMember{1258, {1258, 1258, 10000}},
    TFamilyMember{932, {932, 932, 10000}},  TFamilyMember{936, {936, 936, 10000}},
    TFamilyMember{949, {949, 949, 10000}},  TFamilyMember{950, {950, 950, 10000}},
};

}  // namespace

std::optional<TCodePageFamily> CodePageFamily(int codePage) {
  for (const TFamilyMember& member : kMembers)
    if (member.codePage == codePage) return member.family;
  return std::nullopt;
}

bool IsNeutralLocale(std::string_view localeName) {
  std::string_view language = localeName.substr(0, localeName.find_first_of(".@"));
  return language.empty() || language == "C" || language == "POSIX";
}

bool IsUtf8Locale(std::string_view localeName) {
  const size_t dot = localeName.find('.');
  if (dot == std::string_view::npos) return false;
  std::string_view codeset = localeName.substr(dot + 1);
  codeset = codeset.substr(0, codeset.find('@'));
  std::string folded;
  for (char ch : codeset)
    if (ch != '-') folded += static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
  return folded == "utf8";
}

void SetSystemCodePages(const TCodePageFamily& family) {
  SetSystemCodePage(TSystemCodePage::Ansi, family.ansi);
  SetSystemCodePage(TSystemCodePage::Oem, family.oem);
  SetSystemCodePage(TSystemCodePage::Mac, family.mac);
}

void UseAnsiCodePage(int codePage) {
  SetSystemCodePages(
      CodePageFamily(codePage).value_or(TCodePageFamily{codePage, codePage, SystemCodePage(TSystemCodePage::Mac)}));
}

void BeginRunCodePages(int userAnsiCodePage) {
  if (userAnsiCodePage != 0)
    UseAnsiCodePage(userAnsiCodePage);
  else
    SetSystemCodePages({0, 0, 0});  // an earlier table or choice must not stay
}

void FollowTableCodePage(int tableCodePage) {
  const std::string locale = UserCharacterLocale();
  if (!IsNeutralLocale(locale) && !IsUtf8Locale(locale)) return;
  if (auto family = CodePageFamily(tableCodePage)) SetSystemCodePages(*family);
}

}  // namespace verimo
