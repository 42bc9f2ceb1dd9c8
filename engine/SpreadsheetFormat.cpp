#include "engine/SpreadsheetFormat.h"

#include "core/NonCopyable.h"
#include "engine/TesselColumns.h"
#include "engine/TesselFormats.h"
#include "platform/locale/Formatting.h"

namespace verimo {

namespace {

char16_t Lower(char16_t ch) { return ch >= u'A' && ch <= u'Z' ? static_cast<char16_t>(ch + 32) : ch; }

bool StartsWithNoCase(WideStringView text, size_t at, WideStringView word) {
  if (at + word.size() > text.size()) return false;
  for (size_t i = 0; i < word.size(); ++i)
    if (Lower(text[at + i]) != word[i]) return false;
  return true;
}

size_t RunLength(WideStringView text, size_t at, char16_t letter) {
  size_t end = at;
  while (end < text.size() && Lower(text[end]) == letter) ++end;
  return end - at;
}

// Literal text, gathered and written as one quoted run.
class TLiteral : private TNonCopyable {
 public:
  explicit TLiteral(WideString& out) : out_(out) {}
  ~TLiteral() { Flush(); }
  void Add(char16_t ch) { pending_ += ch; }
  void Add(WideStringView text) { pending_ += text; }
  void Flush() {
    if (pending_.empty()) return;
    // Spaces and a few signs show as themselves; other text is quoted.
    bool plain = true;
    for (char16_t ch : pending_)
      if (WideStringView(u" -()+$").find(ch) == WideStringView::npos) plain = false;
    if (plain) {
      out_ += pending_;
    } else {
      out_ += u'"';
      for (char16_t ch : pending_) {
        if (ch == u'"') out_ += u"\"\\\"\"";
        else out_ += ch;
      }
      out_ += u'"';
    }
    pending_.clear();
  }

 private:
  WideString& out_;
  WideString pending_;
};

// Reads a quoted part starting at `at` (the quote), returns the index after it.
size_t ReadQuoted(WideStringView pattern, size_t at, TLiteral& literal) {
  const char16_t quote = pattern[at];
  size_t end = at + 1;
  while (end < pattern.size() && pattern[end] != quote) literal.Add(pattern[end++]);
  return end < pattern.size() ? end + 1 : end;
}

WideString NumberFormat(WideStringView pattern) {
  WideString out;
  TLiteral literal(out);
  for (size_t i = 0; i < pattern.size();) {
    const char16_t ch = pattern[i];
    if (ch == u'\'' || ch == u'"') {
      i = ReadQuoted(pattern, i, literal);
      continue;
    }
    if ((ch == u'E' || ch == u'e') && i + 1 < pattern.size() && (pattern[i + 1] == u'+' || pattern[i + 1] == u'-')) {
      literal.Flush();
      out += u'E';
      out += pattern[i + 1];
      i += 2;
      continue;
    }
    if (ch == u'0' || ch == u'#' || ch == u'.' || ch == u',' || ch == u';') {
      literal.Flush();
      out += ch;
    } else {
      literal.Add(ch);
    }
    ++i;
  }
  return out;
}

void DateTimeFormat(WideStringView pattern, const TSpreadsheetPatternContext& context, int depth, WideString& out);

void Expand(WideStringView part, const TSpreadsheetPatternContext& context, int depth, TLiteral& literal, WideString& out) {
  literal.Flush();
  if (depth < 3) DateTimeFormat(part, context, depth + 1, out);
}

void DateTimeFormat(WideStringView pattern, const TSpreadsheetPatternContext& context, int depth, WideString& out) {
  TLiteral literal(out);
  auto code = [&](WideStringView text) {
    literal.Flush();
    out += text;
  };
  for (size_t i = 0; i < pattern.size();) {
    const char16_t ch = Lower(pattern[i]);
    if (pattern[i] == u'\'' || pattern[i] == u'"') {
      i = ReadQuoted(pattern, i, literal);
      continue;
    }
    if (StartsWithNoCase(pattern, i, u"am/pm")) {
      code(u"AM/PM");
      i += 5;
      continue;
    }
    if (StartsWithNoCase(pattern, i, u"ampm")) {
      code(u"AM/PM");
      i += 4;
      continue;
    }
    if (StartsWithNoCase(pattern, i, u"a/p")) {
      code(u"A/P");
      i += 3;
      continue;
    }
    const size_t run = RunLength(pattern, i, ch);
    switch (ch) {
      case u'c':
        Expand(context.ShortDateFormat, context, depth, literal, out);
        literal.Add(u' ');
        Expand(context.LongTimeFormat, context, depth, literal, out);
        i += 1;
        continue;
      case u't':
        Expand(run >= 2 ? context.LongTimeFormat : context.ShortTimeFormat, context, depth, literal, out);
        i += std::min<size_t>(run, 2);
        continue;
      case u'd':
        if (run >= 6) Expand(context.LongDateFormat, context, depth, literal, out);
        else if (run == 5) Expand(context.ShortDateFormat, context, depth, literal, out);
        else code(WideString(run, u'd'));
        i += std::min<size_t>(run, 6);
        continue;
      case u'm':
        code(WideString(std::min<size_t>(run, 4), u'm'));
        i += run;
        continue;
      case u'y':
        code(run <= 2 ? u"yy" : u"yyyy");
        i += run;
        continue;
      case u'n':  // minutes, "m" in the spreadsheet's codes
      case u'h':
      case u's':
        code(WideString(std::min<size_t>(run, 2), ch == u'n' ? u'm' : ch));
        i += run;
        continue;
      case u'z': {
        const size_t digits = run >= 3 ? 3 : 1;
        literal.Flush();
        if (!out.empty() && out.back() != u'.') code(u".");
        code(WideString(digits, u'0'));
        i += run;
        continue;
      }
      case u'/':
        literal.Add(context.DateSeparator);
        ++i;
        continue;
      case u':':
        literal.Add(context.TimeSeparator);
        ++i;
        continue;
      case u'.':
        if (i + 1 < pattern.size() && Lower(pattern[i + 1]) == u'z') {
          code(u".");
          ++i;
          continue;
        }
        break;
      default:
        break;
    }
    literal.Add(pattern[i]);
    ++i;
  }
}

}  // namespace

TSpreadsheetPatternContext TSpreadsheetPatternContext::FromGlobalSettings(char16_t dateSeparator, char16_t timeSeparator) {
  const TFormatSettings& settings = GlobalFormatSettings();
  TSpreadsheetPatternContext context;
  context.DateSeparator = dateSeparator;
  context.TimeSeparator = timeSeparator;
  context.ShortDateFormat = settings.ShortDateFormat;
  context.LongDateFormat = settings.LongDateFormat;
  context.ShortTimeFormat = settings.ShortTimeFormat;
  context.LongTimeFormat = settings.LongTimeFormat;
  return context;
}

bool IsNumberPattern(WideStringView pattern) {
  char16_t quote = 0;
  for (char16_t ch : pattern) {
    if (quote != 0) {
      if (ch == quote) quote = 0;
    } else if (ch == u'\'' || ch == u'"') {
      quote = ch;
    } else if (ch == u'0' || ch == u'#') {
      return true;
    }
  }
  return false;
}

WideString ExcelNumberFormat(WideStringView pattern, const TSpreadsheetPatternContext& context) {
  if (pattern.empty() || pattern == u"General") return u"General";
  if (IsNumberPattern(pattern)) return NumberFormat(pattern);
  WideString out;
  DateTimeFormat(pattern, context, 0, out);
  return out;
}

WideString ExcelBooleanFormat(WideStringView trueText, WideStringView falseText) {
  WideString out;
  for (WideStringView text : {trueText, trueText, falseText}) {
    if (!out.empty()) out += u';';
    TLiteral literal(out);
    literal.Add(text);
  }
  return out;
}

WideString ColumnNumberFormat(const TTesselColumn& column, const TTesselFormats& formats,
                              const TSpreadsheetPatternContext& context) {
  const bool keep = formats.KeepOriginalFormat;
  switch (column.ColType) {
    case ectBoolean: return ExcelBooleanFormat(formats.BooleanTrue(), formats.BooleanFalse());
    case ectInteger:
    case ectBigint:
    case ectFloat:
    case ectCurrency:
      // BCD values are written in the general notation, as the source has them.
      if (keep || column.FieldType == ftBCD) return u"General";
      return ExcelNumberFormat(column.Format, context);
    case ectDate:
    case ectTime:
    case ectDateTime: {
      // The values' own texts: a date alone, a time of day alone, else both.
      const char16_t* own = column.ColType == ectDate ? u"ddddd" : column.ColType == ectTime ? u"tt" : u"c";
      if (keep) return ExcelNumberFormat(own, context);
      return ExcelNumberFormat(column.Format.empty() ? WideStringView(u"c") : WideStringView(column.Format), context);
    }
    default: return {};
  }
}

std::optional<double> ExcelDateSerial(double dateTime) {
  // 2 is 1 January 1900; 2958466 is 1 January 10000.
  if (!(dateTime >= 2 && dateTime < 2958466)) return std::nullopt;
  return dateTime < 61 ? dateTime - 1 : dateTime;
}

}  // namespace verimo
