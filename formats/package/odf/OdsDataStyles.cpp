#include "formats/package/odf/OdsDataStyles.h"

#include <vector>

#include "formats/package/TesselXMLWriter.h"

namespace verimo {
namespace {

// One piece of a section: literal text, or one code (a run of one code
// letter such as "dd" or "0", or "E+", "AM/PM", "A/P").
struct TPiece {
  bool Literal = false;
  WideString Text;
};
using TSection = std::vector<TPiece>;

char16_t Lower(char16_t ch) { return ch >= u'A' && ch <= u'Z' ? static_cast<char16_t>(ch + 32) : ch; }

bool IsDateTimeLetter(char16_t ch) { return WideStringView(u"dmyhs").find(Lower(ch)) != WideStringView::npos; }

class TSplitter {
 public:
  std::vector<TSection> Split(WideStringView code) {
    for (size_t i = 0; i < code.size(); ++i) {
      const char16_t ch = code[i];
      if (ch == u'"') {
        const size_t end = std::min(code.find(u'"', i + 1), code.size());
        AddLiteral(code.substr(i + 1, end - i - 1));
        i = end;
      } else if (ch == u'\\' && i + 1 < code.size()) {
        AddLiteral(code.substr(++i, 1));
      } else if (ch == u';') {
        sections_.emplace_back();
      } else if (code.substr(i, 5) == u"AM/PM" || code.substr(i, 3) == u"A/P") {
        const size_t length = code[i + 1] == u'M' ? 5 : 3;
        AddCode(code.substr(i, length));
        i += length - 1;
      } else if ((ch == u'E' || ch == u'e') && i + 1 < code.size() && (code[i + 1] == u'+' || code[i + 1] == u'-')) {
        AddCode(code.substr(i, 2));
        ++i;
      } else if (IsDateTimeLetter(ch) || ch == u'0' || ch == u'#') {
        size_t end = i + 1;
        while (end < code.size() && Lower(code[end]) == Lower(ch)) ++end;
        AddCode(code.substr(i, end - i));
        i = end - 1;
      } else if (ch == u'.' || ch == u',') {
        AddCode(code.substr(i, 1));
      } else {
        AddLiteral(code.substr(i, 1));
      }
    }
    return std::move(sections_);
  }

 private:
  TSection& Current() { return sections_.back(); }
  void AddLiteral(WideStringView text) {
    if (Current().empty() || !Current().back().Literal) Current().push_back({true, {}});
    Current().back().Text += text;
  }
  void AddCode(WideStringView text) { Current().push_back({false, WideString(text)}); }

  std::vector<TSection> sections_ = std::vector<TSection>(1);
};

bool IsDigitCode(const TPiece& piece) { return !piece.Literal && (piece.Text[0] == u'0' || piece.Text[0] == u'#'); }

void AppendText(std::string& out, WideStringView text) {
  if (text.empty()) return;
  out += "<number:text>";
  AppendXmlEscaped(text, TXmlBreaks::Plain, out);
  out += "</number:text>";
}

void AppendCount(std::string& out, std::string_view attribute, size_t count) {
  out += ' ';
  out += attribute;
  out += "=\"";
  out += std::to_string(count);
  out += '"';
}

// Literal text before the number, the number, and every other literal after
// it. Optional decimals ("#" after the point) are shown always: the
// document's version of the format has no fewest decimals.
void AppendNumberSection(std::string& out, const TSection& section) {
  WideString before;
  WideString after;
  size_t integerDigits = 0, decimals = 0, exponentDigits = 0;
  bool number = false, point = false, grouping = false, scientific = false;
  for (const TPiece& piece : section) {
    if (piece.Literal) {
      (number ? after : before) += piece.Text;
      continue;
    }
    const char16_t code = piece.Text[0];
    if (code == u'0' || code == u'#') {
      number = true;
      if (scientific) {
        exponentDigits += piece.Text.size();
      } else if (point) {
        decimals += piece.Text.size();
      } else if (code == u'0') {
        integerDigits += piece.Text.size();
      }
    } else if (code == u'.') {
      point = true;
    } else if (code == u',') {
      grouping = grouping || !point;
    } else if (code == u'E' || code == u'e') {
      scientific = true;
    } else {
      (number ? after : before) += piece.Text;
    }
  }
  AppendText(out, before);
  if (number) {
    out += scientific ? "<number:scientific-number" : "<number:number";
    AppendCount(out, "number:decimal-places", decimals);
    AppendCount(out, "number:min-integer-digits", integerDigits);
    if (scientific) AppendCount(out, "number:min-exponent-digits", exponentDigits);
    if (grouping && !scientific) out += " number:grouping=\"true\"";
    out += "/>";
  }
  AppendText(out, after);
}

// The code piece before / after position i, skipping literal text.
const TPiece* CodeBefore(const TSection& section, size_t i) {
  while (i-- > 0)
    if (!section[i].Literal) return &section[i];
  return nullptr;
}
const TPiece* CodeAfter(const TSection& section, size_t i) {
  while (++i < section.size())
    if (!section[i].Literal) return &section[i];
  return nullptr;
}

// "m" stands for minutes right after hours or right before seconds, as
// spreadsheets read it; else for the month.
bool IsMinutes(const TSection& section, size_t i) {
  const TPiece* before = CodeBefore(section, i);
  const TPiece* after = CodeAfter(section, i);
  return (before != nullptr && Lower(before->Text[0]) == u'h') || (after != nullptr && Lower(after->Text[0]) == u's');
}

void AppendDateElement(std::string& out, const char* element, bool longStyle, const char* extra = "") {
  out += "<number:";
  out += element;
  if (longStyle) out += " number:style=\"long\"";
  out += extra;
  out += "/>";
}

void AppendDateTimeSection(std::string& out, const TSection& section) {
  WideString text;
  auto flush = [&] {
    AppendText(out, text);
    text.clear();
  };
  for (size_t i = 0; i < section.size(); ++i) {
    const TPiece& piece = section[i];
    const size_t run = piece.Text.size();
    const char16_t code = piece.Literal ? 0 : Lower(piece.Text[0]);
    if (code == u'.' && i + 1 < section.size() && section[i + 1].Text[0] == u'0' && !section[i + 1].Literal) {
      ++i;  // fractions of a second: set on the seconds written before
      continue;
    }
    if (code == 0 || code == u'.' || code == u',' || code == u'0' || code == u'#' || code == u'e') {
      text += piece.Text;
      continue;
    }
    flush();
    switch (code) {
      case u'd':
        if (run >= 3) AppendDateElement(out, "day-of-week", run >= 4);
        else AppendDateElement(out, "day", run == 2);
        break;
      case u'm':
        if (IsMinutes(section, i)) AppendDateElement(out, "minutes", run >= 2);
        else if (run >= 3) AppendDateElement(out, "month", run >= 4, " number:textual=\"true\"");
        else AppendDateElement(out, "month", run == 2);
        break;
      case u'y': AppendDateElement(out, "year", run > 2); break;
      case u'h': AppendDateElement(out, "hours", run >= 2); break;
      case u's': {
        std::string decimals;
        if (i + 2 < section.size() && !section[i + 1].Literal && section[i + 1].Text == u"." &&
            !section[i + 2].Literal && section[i + 2].Text[0] == u'0')
          decimals = " number:decimal-places=\"" + std::to_string(section[i + 2].Text.size()) + "\"";
        AppendDateElement(out, "seconds", run >= 2, decimals.c_str());
        break;
      }
      default: AppendDateElement(out, "am-pm", false); break;
    }
  }
  flush();
}

struct TCodeKinds {
  bool Number = false;
  bool Date = false;
  bool Time = false;
  bool Scientific = false;
};

TCodeKinds KindsOf(const std::vector<TSection>& sections) {
  TCodeKinds kinds;
  for (const TSection& section : sections) {
    for (size_t i = 0; i < section.size(); ++i) {
      const TPiece& piece = section[i];
      if (piece.Literal) continue;
      const char16_t code = Lower(piece.Text[0]);
      if (IsDigitCode(piece)) kinds.Number = true;
      if (code == u'e') kinds.Scientific = true;
      if (code == u'd' || code == u'y' || (code == u'm' && !IsMinutes(section, i))) kinds.Date = true;
      if (code == u'h' || code == u's' || code == u'a' || (code == u'm' && IsMinutes(section, i))) kinds.Time = true;
    }
  }
  // Digits beside date or time codes are fractions of a second.
  if (kinds.Date || kinds.Time) kinds.Number = false;
  return kinds;
}

const char* ElementOf(TODSDataStyleKind kind, const TCodeKinds& kinds) {
  if (kinds.Date || kinds.Time) return kind == dskTime && !kinds.Date ? "number:time-style" : "number:date-style";
  if (kind == dskBoolean && !kinds.Number) return "number:boolean-style";
  return kind == dskCurrency && !kinds.Scientific ? "number:currency-style" : "number:number-style";
}

void AppendStyle(std::string& out, const char* element, std::string_view name, bool volatileStyle,
                 const TSection& section, bool dateTime, const std::string& maps) {
  out += '<';
  out += element;
  out += " style:name=\"";
  out += name;
  out += volatileStyle ? "\" style:volatile=\"true\">" : "\">";
  if (dateTime) AppendDateTimeSection(out, section);
  else AppendNumberSection(out, section);
  out += maps;
  out += "</";
  out += element;
  out += '>';
}

std::string Map(std::string_view condition, std::string_view style) {
  return "<style:map style:condition=\"" + std::string(condition) + "\" style:apply-style-name=\"" +
         std::string(style) + "\"/>";
}

}  // namespace

void AppendODSDataStyle(std::string& out, std::string_view name, TODSDataStyleKind kind, WideStringView code) {
  if (code == u"General") {
    // Digits as the value needs them.
    out += "<number:number-style style:name=\"";
    out += name;
    out += "\"><number:number number:min-integer-digits=\"1\"/></number:number-style>";
    return;
  }
  std::vector<TSection> sections = TSplitter().Split(code);
  if (sections.size() > 3) sections.resize(3);
  const TCodeKinds kinds = KindsOf(sections);
  const char* element = ElementOf(kind, kinds);
  const bool dateTime = kinds.Date || kinds.Time;
  const std::string base(name);
  std::string maps;
  for (size_t i = 0; i + 1 < sections.size(); ++i) {
    const std::string part = base + "P" + std::to_string(i);
    AppendStyle(out, element, part, true, sections[i], dateTime, {});
    if (sections.size() == 2) maps += Map("value()&gt;=0", part);
    else maps += Map(i == 0 ? "value()&gt;0" : "value()&lt;0", part);
  }
  AppendStyle(out, element, base, false, sections.back(), dateTime, maps);
}

}  // namespace verimo
