// The date-time pattern language.
#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <vector>

#include "core/Exception.h"
#include "platform/locale/Formatting.h"
#include "platform/locale/TextBuffer.h"

namespace verimo {
namespace {

// Patterns that name other patterns ("c", "ddddd", "t") are expanded at
// most this deep, so a settings pattern that names itself cannot loop.
constexpr int kMaxNesting = 2;

// The range of TDateTime values with a calendar date (years 1 to 9999).
constexpr double kMinDateTime = -693593.0;
constexpr double kMaxDateTime = 2958466.0;

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }
bool IsAsciiLetter(char16_t c) { return Upper(c) >= u'A' && Upper(c) <= u'Z'; }

bool StartsWithNoCase(WideStringView text, size_t pos, std::u16string_view word) {
  if (pos + word.size() > text.size()) return false;
  for (size_t i = 0; i < word.size(); ++i)
    if (Upper(text[pos + i]) != Upper(word[i])) return false;
  return true;
}

size_t CountRun(WideStringView text, size_t pos) {
  size_t end = pos + 1;
  while (end < text.size() && Upper(text[end]) == Upper(text[pos])) ++end;
  return end - pos;
}


// Whether an am/pm marker follows `pos` (outside quotes): then hours are
// written on the twelve-hour clock.
bool UsesTwelveHourClock(WideStringView pattern, size_t pos) {
  while (pos < pattern.size()) {
    char16_t c = pattern[pos];
    if (c == u'\'' || c == u'"') {
      size_t close = pattern.find(c, pos + 1);
      if (close == WideStringView::npos) return false;
      pos = close + 1;
      continue;
    }
    if (StartsWithNoCase(pattern, pos, u"am/pm") || StartsWithNoCase(pattern, pos, u"a/p") ||
        StartsWithNoCase(pattern, pos, u"ampm"))
      return true;
    ++pos;
  }
  return false;
}

}  // namespace

namespace {

using Token = TDateTimeToken;
using locale_detail::TextBuffer;

Token Make(Token::Kind kind, size_t width = 0) {
  Token token;
  token.kind = kind;
  token.width = static_cast<uint8_t>(width);
  return token;
}

Token Literal(size_t start, size_t length) {
  Token token;
  token.start = static_cast<uint32_t>(start);
  token.length = static_cast<uint32_t>(length);
  return token;
}

// Appends a literal, merging it with a literal just before it in the pattern.
void AddLiteral(std::vector<Token>& tokens, size_t start, size_t length) {
  if (length == 0) return;
  if (!tokens.empty() && tokens.back().kind == Token::kLiteral &&
      tokens.back().start + tokens.back().length == start) {
    tokens.back().length += static_cast<uint32_t>(length);
    return;
  }
  tokens.push_back(Literal(start, length));
}

std::vector<Token> Compile(WideStringView pattern) {
  std::vector<Token> tokens;
  char16_t lastToken = 0;
  bool twelveHour = false;
  bool twelveHourKnown = false;
  size_t pos = 0;
  while (pos < pattern.size()) {
    char16_t c = pattern[pos];
    char16_t token = Upper(c);
    if (IsAsciiLetter(c)) {
      if (token == u'M' && lastToken == u'H') token = u'N';
      lastToken = token;
    }
    switch (token) {
      case u'Y': {
        size_t run = CountRun(pattern, pos);
        tokens.push_back(Make(run <= 2 ? Token::kYear2 : Token::kYear4));
        pos += run;
        continue;
      }
      case u'M': {
        size_t run = CountRun(pattern, pos);
        tokens.push_back(run <= 2 ? Make(Token::kMonth, run) : Make(run == 3 ? Token::kMonthShort : Token::kMonthLong));
        pos += run;
        continue;
      }
      case u'D': {
        size_t run = CountRun(pattern, pos);
        switch (run) {
          case 1:
          case 2: tokens.push_back(Make(Token::kDay, run)); break;
          case 3: tokens.push_back(Make(Token::kDayShort)); break;
          case 4: tokens.push_back(Make(Token::kDayLong)); break;
          case 5: tokens.push_back(Make(Token::kShortDate)); break;
          default: tokens.push_back(Make(Token::kLongDate)); break;
        }
        pos += run;
        continue;
      }
      case u'H': {
        size_t run = CountRun(pattern, pos);
        if (!twelveHourKnown) {
          twelveHour = UsesTwelveHourClock(pattern, pos + run);
          twelveHourKnown = true;
        }
        tokens.push_back(Make(twelveHour ? Token::kHour12 : Token::kHour, run >= 2 ? 2 : 1));
        pos += run;
        continue;
      }
      case u'N': {
        size_t run = CountRun(pattern, pos);
        tokens.push_back(Make(Token::kMinute, run >= 2 ? 2 : 1));
        pos += run;
        continue;
      }
      case u'S': {
        size_t run = CountRun(pattern, pos);
        tokens.push_back(Make(Token::kSecond, run >= 2 ? 2 : 1));
        pos += run;
        continue;
      }
      case u'Z': {
        size_t run = CountRun(pattern, pos);
        tokens.push_back(Make(Token::kMillisecond, run >= 3 ? 3 : run));
        pos += run;
        continue;
      }
      case u'T': {
        size_t run = CountRun(pattern, pos);
        tokens.push_back(Make(run == 1 ? Token::kShortTime : Token::kLongTime));
        pos += run;
        continue;
      }
      case u'C':
        pos += CountRun(pattern, pos);
        tokens.push_back(Make(Token::kDefault));
        continue;
      case u'A':
        if (StartsWithNoCase(pattern, pos, u"am/pm")) {
          Token pair = Make(Token::kAmPmPair);
          pair.start = static_cast<uint32_t>(pos);
          tokens.push_back(pair);
          pos += 5;
        } else if (StartsWithNoCase(pattern, pos, u"a/p")) {
          Token letter = Make(Token::kAmPmLetter);
          letter.start = static_cast<uint32_t>(pos);
          tokens.push_back(letter);
          pos += 3;
        } else if (StartsWithNoCase(pattern, pos, u"ampm")) {
          tokens.push_back(Make(Token::kAmPmLocale));
          pos += 4;
        } else {
          AddLiteral(tokens, pos, 1);
          pos += 1;
        }
        continue;
      case u'/':
        tokens.push_back(Make(Token::kDateSeparator));
        break;
      case u':':
        tokens.push_back(Make(Token::kTimeSeparator));
        break;
      case u'\'':
      case u'"': {
        size_t close = pattern.find(c, pos + 1);
        size_t end = close == WideStringView::npos ? pattern.size() : close;
        AddLiteral(tokens, pos + 1, end - pos - 1);
        pos = end == pattern.size() ? end : end + 1;
        continue;
      }
      default:
        AddLiteral(tokens, pos, 1);
        break;
    }
    ++pos;
  }
  return tokens;
}

void AppendPadded(TextBuffer& out, int value, size_t width) {
  if (value >= 0 && value < 100 && width <= 2) {
    if (value >= 10 || width == 2) out += static_cast<char16_t>(u'0' + value / 10);
    out += static_cast<char16_t>(u'0' + value % 10);
    return;
  }
  if (value >= 0 && value < 10000 && width == 4) {  // years
    out += static_cast<char16_t>(u'0' + value / 1000);
    out += static_cast<char16_t>(u'0' + value / 100 % 10);
    out += static_cast<char16_t>(u'0' + value / 10 % 10);
    out += static_cast<char16_t>(u'0' + value % 10);
    return;
  }
  char16_t digits[12];
  size_t count = 0;
  unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
  do {
    digits[count++] = static_cast<char16_t>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) digits[count++] = u'-';
  for (size_t zeros = count; zeros < width; ++zeros) out += u'0';
  while (count > 0) out += digits[--count];
}

// Only days, months, years, date separators and literal text: written from
// the date alone.
bool IsDateOnly(std::span<const Token> tokens) {
  return !tokens.empty() && std::all_of(tokens.begin(), tokens.end(), [](const Token& token) {
    return token.kind == Token::kYear2 || token.kind == Token::kYear4 || token.kind == Token::kMonth ||
           token.kind == Token::kDay || token.kind == Token::kDateSeparator || token.kind == Token::kLiteral;
  });
}

// The longest text a date-only pattern writes for a date of the years 1 to 9999.
size_t LongestDateText(std::span<const Token> tokens) {
  size_t length = 0;
  for (const Token& token : tokens) {
    switch (token.kind) {
      case Token::kYear4: length += 4; break;
      case Token::kYear2:
      case Token::kMonth:
      case Token::kDay: length += 2; break;
      case Token::kDateSeparator: length += 1; break;
      default: length += token.length; break;
    }
  }
  return length;
}

// A day or month (1 to 31): one digit when it has one and the width allows.
char16_t* PutDayOrMonth(char16_t* target, int value, int width) {
  if (value < 10 && width < 2) {
    *target = static_cast<char16_t>(u'0' + value);
    return target + 1;
  }
  return PutTwoDigits(target, static_cast<unsigned>(value));
}

// The text and tokens of a pattern, and what the tokens tell.
void CompileInto(WideStringView source, TCompiledDateTime& compiled) {
  compiled.source = source;
  compiled.tokens = Compile(source);
  compiled.dateOnly = IsDateOnly(compiled.tokens);
  compiled.longestDate = compiled.dateOnly ? LongestDateText(compiled.tokens) : 0;
}

// A date of the years 1 to 9999 through a date-only pattern, written
// straight into `out`.
void AppendDate(const TCompiledDateTime& pattern, const DateParts& date, char16_t dateSeparator, WideString& out) {
  const size_t start = out.size();
  out.resize(start + pattern.longestDate);
  char16_t* target = out.data() + start;
  for (const Token& token : pattern.tokens) {
    switch (token.kind) {
      case Token::kYear2: target = PutTwoDigits(target, static_cast<unsigned>(date.year % 100)); break;
      case Token::kYear4: {
        const auto year = static_cast<unsigned>(date.year);
        target = PutTwoDigits(PutTwoDigits(target, year / 100), year % 100);
        break;
      }
      case Token::kMonth: target = PutDayOrMonth(target, date.month, token.width); break;
      case Token::kDay: target = PutDayOrMonth(target, date.day, token.width); break;
      case Token::kDateSeparator: *target++ = dateSeparator; break;
      default: target = std::copy_n(pattern.source.data() + token.start, token.length, target); break;
    }
  }
  out.resize(static_cast<size_t>(target - out.data()));
}

enum NamedPattern { kNamedShortDate, kNamedLongDate, kNamedShortTime, kNamedLongTime };

const WideString& SettingsPattern(const TFormatSettings& settings, NamedPattern which) {
  switch (which) {
    case kNamedShortDate: return settings.ShortDateFormat;
    case kNamedLongDate: return settings.LongDateFormat;
    case kNamedShortTime: return settings.ShortTimeFormat;
    case kNamedLongTime: break;
  }
  return settings.LongTimeFormat;
}

// The tokens of a settings pattern, compiled again only when `compiled`
// holds another text.
const TCompiledDateTime& CompileNamed(const TFormatSettings& settings, NamedPattern which,
                                      std::array<TCompiledDateTime, 4>& named) {
  const WideString& source = SettingsPattern(settings, which);
  TCompiledDateTime& compiled = named[which];
  if (!SameUnits(compiled.source, source)) CompileInto(source, compiled);
  return compiled;
}

class DateTimeWriter {
 public:
  DateTimeWriter(TDateTime value, const TFormatSettings& settings, std::array<TCompiledDateTime, 4>& named,
                 TextBuffer& out)
      : value_(value),
        settings_(settings),
        named_(named),
        date_(DecodeDate(value)),
        time_(DecodeTime(value)),
        out_(out) {}

  void Run(WideStringView pattern, std::span<const Token> tokens, int depth) {
    for (const Token& token : tokens) Step(pattern, token, depth);
  }

  // Short date, then the long time unless the time is exactly midnight.
  void AppendDefault(int depth) {
    AppendNamed(kNamedShortDate, depth);
    if (time_.hour != 0 || time_.minute != 0 || time_.second != 0) {
      out_ += u' ';
      AppendNamed(kNamedLongTime, depth);
    }
  }

 private:
  void Step(WideStringView pattern, const Token& token, int depth) {
    switch (token.kind) {
      case Token::kYear2: AppendPadded(out_, date_.year % 100, 2); break;
      case Token::kYear4: AppendPadded(out_, date_.year, 4); break;
      case Token::kMonth: AppendPadded(out_, date_.month, token.width); break;
      case Token::kMonthShort: out_ += settings_.ShortMonthNames[static_cast<size_t>(date_.month - 1)]; break;
      case Token::kMonthLong: out_ += settings_.LongMonthNames[static_cast<size_t>(date_.month - 1)]; break;
      case Token::kDay: AppendPadded(out_, date_.day, token.width); break;
      case Token::kDayShort: out_ += settings_.ShortDayNames[Weekday()]; break;
      case Token::kDayLong: out_ += settings_.LongDayNames[Weekday()]; break;
      case Token::kShortDate: AppendNamed(kNamedShortDate, depth); break;
      case Token::kLongDate: AppendNamed(kNamedLongDate, depth); break;
      case Token::kHour: AppendPadded(out_, time_.hour, token.width); break;
      case Token::kHour12: {
        int hour = time_.hour % 12;
        AppendPadded(out_, hour == 0 ? 12 : hour, token.width);
        break;
      }
      case Token::kMinute: AppendPadded(out_, time_.minute, token.width); break;
      case Token::kSecond: AppendPadded(out_, time_.second, token.width); break;
      case Token::kMillisecond: AppendPadded(out_, time_.millisecond, token.width); break;
      case Token::kShortTime: AppendNamed(kNamedShortTime, depth); break;
      case Token::kLongTime: AppendNamed(kNamedLongTime, depth); break;
      case Token::kDefault: AppendDefault(depth); break;
      case Token::kAmPmPair: out_ += pattern.substr(Afternoon() ? token.start + 3 : token.start, 2); break;
      case Token::kAmPmLetter: out_ += pattern[Afternoon() ? token.start + 2 : token.start]; break;
      case Token::kAmPmLocale: out_ += Afternoon() ? settings_.TimePMString : settings_.TimeAMString; break;
      case Token::kDateSeparator: out_ += settings_.DateSeparator; break;
      case Token::kTimeSeparator: out_ += settings_.TimeSeparator; break;
      case Token::kLiteral: out_ += pattern.substr(token.start, token.length); break;
    }
  }

  bool Afternoon() const { return time_.hour >= 12; }
  size_t Weekday() const { return static_cast<size_t>(DayOfWeek(value_) - 1); }

  // A pattern that names itself is the same text at every depth, so its
  // tokens are not recompiled while they are being written.
  void AppendNamed(NamedPattern which, int depth) {
    if (depth >= kMaxNesting) return;
    const TCompiledDateTime& compiled = CompileNamed(settings_, which, named_);
    Run(compiled.source, compiled.tokens, depth + 1);
  }

  TDateTime value_;
  const TFormatSettings& settings_;
  std::array<TCompiledDateTime, 4>& named_;
  DateParts date_;
  TimeParts time_;
  TextBuffer& out_;
};

void CheckDateTimeRange(TDateTime value) {
  if (!(value >= kMinDateTime && value < kMaxDateTime))
    throw Exception("Invalid date-time value: outside the years 1 to 9999");
}

}  // namespace

TDateTimePattern::TDateTimePattern(WideStringView pattern) {
  CompileInto(pattern, compiled_);
  defaultOnly_ = pattern.empty() || (compiled_.tokens.size() == 1 && compiled_.tokens[0].kind == Token::kDefault);
}

void TDateTimePattern::Append(TDateTime value, const TFormatSettings& settings, WideString& out) const {
  CheckDateTimeRange(value);
  if (compiled_.dateOnly) {
    AppendDate(compiled_, DecodeDate(value), settings.DateSeparator, out);
    return;
  }
  if (defaultOnly_ && value == std::trunc(value)) {
    // The default text of a date at midnight is its short date alone.
    const TCompiledDateTime& shortDate = CompileNamed(settings, kNamedShortDate, named_);
    if (shortDate.dateOnly) {
      AppendDate(shortDate, DecodeDate(value), settings.DateSeparator, out);
      return;
    }
  }
  TextBuffer text(out);
  DateTimeWriter writer(value, settings, named_, text);
  if (compiled_.source.empty())
    writer.AppendDefault(0);
  else
    writer.Run(compiled_.source, compiled_.tokens, 0);
  text.Flush();
}

int TDateTimePattern::LengthClassOf(TDateTime value) const {
  if (!compiled_.dateOnly || !(value >= kMinDateTime && value < kMaxDateTime)) return -1;
  // Years are padded to their width (1 to 9999); short days and months take
  // one digit or two.
  bool shortDay = false;
  bool shortMonth = false;
  for (const Token& token : compiled_.tokens) {
    shortDay = shortDay || (token.kind == Token::kDay && token.width < 2);
    shortMonth = shortMonth || (token.kind == Token::kMonth && token.width < 2);
  }
  if (!shortDay && !shortMonth) return 0;
  const DateParts date = DecodeDate(value);
  return (shortDay && date.day >= 10 ? 1 : 0) | (shortMonth && date.month >= 10 ? 2 : 0);
}

WideString FormatDateTime(WideStringView pattern, TDateTime value, const TFormatSettings& settings) {
  WideString out;
  TDateTimePattern(pattern).Append(value, settings, out);
  return out;
}

WideString DateTimeToStr(TDateTime value, const TFormatSettings& settings) {
  return FormatDateTime(u"c", value, settings);
}

}  // namespace verimo
