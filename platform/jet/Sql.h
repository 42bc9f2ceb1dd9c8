#pragma once

#include <variant>
#include <vector>

#include "core/WideString.h"
#include "platform/jet/TableDefinition.h"

namespace verimo::jet {

struct SqlColumnDefinition {
  WideString name;
  ColumnType type = ColumnType::Long;
  uint16_t length = 0;  // bytes, for Text
};

// create table NAME (column type, ...)
struct CreateTableStatement {
  WideString table;
  std::vector<SqlColumnDefinition> columns;
};

// insert into NAME(column, ...) values(:PARAM, ...)
struct InsertStatement {
  WideString table;
  std::vector<WideString> columns;
  std::vector<WideString> parameters;
};

using SqlStatement = std::variant<CreateTableStatement, InsertStatement>;

// Parses the two statements the Access exporter issues, strictly:
// keywords in any case, names plain or in brackets, the column types
// integer, double, currency, logical, datetime, nvarchar(1..255), memo and
// longtext. Anything else raises verimo::Exception saying what was
// expected where. Names are not checked against Jet's rules here.
SqlStatement ParseSql(WideStringView text);

}  // namespace verimo::jet
