#include "platform/jet/Sql.h"

#include "core/Exception.h"

namespace verimo::jet {
namespace {

enum class TokenKind { Word, BracketedName, Number, Parameter, Symbol, End };

struct Token {
  TokenKind kind = TokenKind::End;
  WideString text;
  size_t position = 0;
};

bool IsWordStart(char16_t ch) {
  return (ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z') || ch == u'_' ||
         (ch >= 0x80 && ch != 0x00a0 && ch != 0xfeff && !(ch >= 0x2000 && ch <= 0x206f) && ch != 0x3000);
}
bool IsWordPart(char16_t ch) { return IsWordStart(ch) || (ch >= u'0' && ch <= u'9'); }
bool IsSpace(char16_t ch) { return ch == u' ' || ch == u'\t' || ch == u'\r' || ch == u'\n'; }

class Parser {
 public:
  explicit Parser(WideStringView text) : text_(text) { Advance(); }

  SqlStatement Statement() {
    if (IsKeyword(u"create")) return CreateTable();
    if (IsKeyword(u"insert")) return Insert();
    Fail("Unsupported statement: only CREATE TABLE and INSERT INTO ... VALUES are understood");
  }

 private:
  [[noreturn]] void Fail(const std::string& message) const {
    std::string near = current_.kind == TokenKind::End ? "at the end of the statement"
                                                       : "near '" + WideToUtf8(current_.text) + "'";
    throw Exception(message + " (" + near + ", character " + std::to_string(current_.position + 1) + ").");
  }

  void Advance() {
    size_t pos = next_;
    while (pos < text_.size() && IsSpace(text_[pos])) ++pos;
    current_ = Token{TokenKind::End, {}, pos};
    if (pos >= text_.size()) {
      next_ = pos;
      return;
    }
    const char16_t ch = text_[pos];
    size_t end = pos + 1;
    if (ch == u'[') {
      while (end < text_.size() && text_[end] != u']') ++end;
      if (end >= text_.size()) {
        current_ = Token{TokenKind::Symbol, u"[", pos};
        Fail("Syntax error: a name in brackets is not closed");
      }
      current_ = Token{TokenKind::BracketedName, WideString(text_.substr(pos + 1, end - pos - 1)), pos};
      next_ = end + 1;
      return;
    }
    if (IsWordStart(ch)) {
      while (end < text_.size() && IsWordPart(text_[end])) ++end;
      current_ = Token{TokenKind::Word, WideString(text_.substr(pos, end - pos)), pos};
    } else if (ch >= u'0' && ch <= u'9') {
      while (end < text_.size() && IsWordPart(text_[end])) ++end;
      current_ = Token{TokenKind::Number, WideString(text_.substr(pos, end - pos)), pos};
    } else if (ch == u':' && end < text_.size() && IsWordStart(text_[end])) {
      while (end < text_.size() && IsWordPart(text_[end])) ++end;
      current_ = Token{TokenKind::Parameter, WideString(text_.substr(pos + 1, end - pos - 1)), pos};
    } else {
      current_ = Token{TokenKind::Symbol, WideString(1, ch), pos};
    }
    next_ = end;
  }

  bool IsKeyword(WideStringView word) const { return current_.kind == TokenKind::Word && SameText(current_.text, word); }
  bool IsSymbol(char16_t symbol) const {
    return current_.kind == TokenKind::Symbol && current_.text.size() == 1 && current_.text[0] == symbol;
  }

  void ExpectKeyword(WideStringView word, const char* context) {
    if (!IsKeyword(word)) Fail(std::string("Syntax error in ") + context + ": expected " + WideToUtf8(UpperCase(word)));
    Advance();
  }
  void ExpectSymbol(char16_t symbol, const char* context) {
    if (!IsSymbol(symbol))
      Fail(std::string("Syntax error in ") + context + ": expected '" + static_cast<char>(symbol) + "'");
    Advance();
  }

  WideString Name(const char* what, const char* context) {
    if (current_.kind != TokenKind::Word && current_.kind != TokenKind::BracketedName)
      Fail(std::string("Syntax error in ") + context + ": expected " + what);
    WideString name = current_.text;
    Advance();
    return name;
  }

  WideString Parameter() {
    if (current_.kind != TokenKind::Parameter) Fail("Syntax error in INSERT INTO statement: expected a parameter (:NAME)");
    WideString name = current_.text;
    Advance();
    return name;
  }

  // A parenthesised, comma-separated list of what `item` reads.
  template <typename ReadItem>
  auto ParenthesisedList(const char* context, ReadItem item) {
    ExpectSymbol(u'(', context);
    std::vector<decltype(item())> items{item()};
    while (IsSymbol(u',')) {
      Advance();
      items.push_back(item());
    }
    ExpectSymbol(u')', context);
    return items;
  }

  void End(const char* context) {
    if (IsSymbol(u';')) Advance();
    if (current_.kind != TokenKind::End) Fail(std::string("Syntax error in ") + context + ": unexpected text");
  }

  SqlColumnDefinition ColumnDefinition() {
    constexpr const char* context = "CREATE TABLE statement";
    SqlColumnDefinition column;
    column.name = Name("a column name", context);
    if (current_.kind != TokenKind::Word) Fail("Syntax error in CREATE TABLE statement: expected a column type");
    const WideString type = LowerCase(current_.text);
    if (type == u"integer") {
      column.type = ColumnType::Long;
    } else if (type == u"double") {
      column.type = ColumnType::Double;
    } else if (type == u"currency") {
      column.type = ColumnType::Currency;
    } else if (type == u"logical") {
      column.type = ColumnType::Boolean;
    } else if (type == u"datetime") {
      column.type = ColumnType::DateTime;
    } else if (type == u"memo" || type == u"longtext") {
      column.type = ColumnType::Memo;
    } else if (type == u"nvarchar") {
      Advance();
      ExpectSymbol(u'(', context);
      long long length = 0;
      if (current_.kind != TokenKind::Number || !TryWideToInt64(current_.text, length) || length < 1 || length > 255)
        Fail("Syntax error in CREATE TABLE statement: the length of an nvarchar column must be 1 to 255");
      Advance();
      if (!IsSymbol(u')')) Fail("Syntax error in CREATE TABLE statement: expected ')'");
      column.type = ColumnType::Text;
      column.length = static_cast<uint16_t>(length * 2);
    } else {
      Fail("Unknown column type '" + WideToUtf8(current_.text) +
           "' (the types understood are integer, double, currency, logical, datetime, nvarchar(n), memo and longtext)");
    }
    Advance();
    return column;
  }

  CreateTableStatement CreateTable() {
    constexpr const char* context = "CREATE TABLE statement";
    Advance();
    ExpectKeyword(u"table", context);
    CreateTableStatement statement;
    statement.table = Name("a table name", context);
    statement.columns = ParenthesisedList(context, [this] { return ColumnDefinition(); });
    End(context);
    return statement;
  }

  InsertStatement Insert() {
    constexpr const char* context = "INSERT INTO statement";
    Advance();
    ExpectKeyword(u"into", context);
    InsertStatement statement;
    statement.table = Name("a table name", context);
    statement.columns = ParenthesisedList(context, [&] { return Name("a column name", context); });
    ExpectKeyword(u"values", context);
    statement.parameters = ParenthesisedList(context, [this] { return Parameter(); });
    End(context);
    if (statement.parameters.size() != statement.columns.size())
      throw Exception("The INSERT INTO statement names " + std::to_string(statement.columns.size()) + " columns but " +
                      std::to_string(statement.parameters.size()) + " values.");
    return statement;
  }

  WideStringView text_;
  size_t next_ = 0;
  Token current_;
};

}  // namespace

SqlStatement ParseSql(WideStringView text) { return Parser(text).Statement(); }

}  // namespace verimo::jet
