#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Exception.h"
#include "platform/data/DataSet.h"
#include "platform/paradox/DamageReport.h"

namespace verimo {

// Description of one field of a Paradox table as its header gives it.
struct ParadoxFieldInfo {
  WideString name;
  char typeCode = 0;  // 'A', 'D', 'S', 'I', '$', 'N', 'L', 'M', 'B', 'F', 'O', 'G', 'T', '@', '+', '#', 'Y'
  int size = 0;       // bytes in the record (for '#', the number of decimal places)
  TFieldType fieldType = ftUnknown;
};

// Where the code page a table is read in came from.
enum class TCodePageSource : uint8_t {
  Header,          // the code page the header names
  LanguageDriver,  // the one its language driver implies
  Default,         // the table names none: the system OEM code page
  Override,        // the one the user chose (SetCodePage)
};

// What the header of an open Paradox table says about it.
struct ParadoxTableInfo {
  int fileVersionCode = 0;   // raw header byte (3 = 3.0, 4 = 3.5, 5..9 = 4.x, 10/11 = 5.x, 12 = 7.x)
  std::string versionText;   // "3.0", "3.5", "4.x", "5.x", "7.x"
  int64_t recordCount = 0;   // as the header counts them
  int recordSize = 0;        // bytes per record
  int blockSize = 0;         // bytes per data block
  int codePage = 0;          // DOS/Windows code page number the texts are read in
  TCodePageSource codePageSource = TCodePageSource::Header;
  int headerCodePage = 0;    // the one the header names; 0 when it names none
  bool encrypted = false;
  int keyFieldCount = 0;      // the first fields form the primary key; 0 without one
  std::vector<ParadoxFieldInfo> fields;
};

// Raised by Open when the data blocks of a table are damaged: the file
// ends early, the chain of blocks is broken, or the blocks hold another
// number of records than the header counts. A salvaging read (SetSalvage)
// may still recover records.
class TableDamaged : public Exception {
 public:
  using Exception::Exception;
};

// A Paradox table opened by directory (DatabaseName) and file name with its
// extension (TableName), read as a dataset: records in the order Paradox
// shows them, texts decoded from the table's code page, BLOBs read from the
// table's .MB file when asked for. The table is read block by block: only
// the current data block and the last BLOB read are held in memory.
//
// Encrypted tables: when a password or a password callback is set, the
// password is checked against the table (the callback is asked up to three
// times) and Open fails when it is wrong or the callback is cancelled; with
// neither, the table is decrypted with the key its header holds. Texts are
// decoded with the code page set by SetCodePage, else the one the header
// names, else the one its language driver implies, else the system OEM code
// page (as it is when Open reads the header).
//
// Salvage: a damaged table fails to open (TableDamaged) unless it is opened
// in salvage mode, which reads every record that can still be read and
// tells what was lost in DamageReport(): blocks the broken chain does not
// reach are read by position, impossible blocks and cut records are left
// out, and BLOB values that cannot be read are blank. An intact table reads
// the same in both modes.
class TTable : public TDataSet {
 public:
  // Asked for the password of an encrypted table: return false when the
  // user cancels; otherwise fill `password` and return true.
  using PasswordCallback = std::function<bool(const std::string& tableName, WideString& password)>;

  TTable();
  ~TTable() override;

  const std::string& DatabaseName() const { return databaseName_; }
  void SetDatabaseName(std::string directory);
  const std::string& TableName() const { return tableName_; }
  void SetTableName(std::string fileName);

  // The code page the table's texts are read in instead of the one its
  // header gives (tables written with the wrong language driver); 0 for the
  // header's. Takes effect at the next Open.
  void SetCodePage(int codePage) { codePage_ = codePage; }
  int CodePage() const { return codePage_; }

  // A password tried before the callback is asked.
  void SetPassword(WideString password) { password_ = std::move(password); }
  void SetPasswordCallback(PasswordCallback callback) { passwordCallback_ = std::move(callback); }
  // Salvage mode for the next Open.
  void SetSalvage(bool salvage) { salvage_ = salvage; }
  bool Salvage() const { return salvage_; }

  // Valid while the table is open.
  const ParadoxTableInfo& Info() const;
  // The full path of the .DB file that DatabaseName and TableName name.
  std::string FilePath() const;
  // The exact decimal text of a BCD ('#') field of the current record
  // ("-12.50"); empty when the field is blank or not a BCD field.
  std::string FieldDecimalText(int index) const override;
  // What the salvaging read of the open table found; empty when the table
  // was opened without salvage mode or is intact.
  const ParadoxDamageReport& DamageReport() const;

  bool IsEmpty() const override;
  void First() override;
  void Next() override;
  bool Eof() const override;
  int64_t RecordCount() const override;
  int KeyFieldCount() const override;
  TBookmark GetBookmark() const override;
  void GotoBookmark(const TBookmark& bookmark) override;
  Variant FieldValue(int index) const override;
  void ReadFieldValue(int index, Variant& value) const override;
  bool FieldIsNull(int index) const override;
  int FieldStoredCodePage(int index) const override;
  std::string_view FieldStoredText(int index) const override;
  Bytes FieldBlob(int index) const override;
  std::optional<int64_t> FieldOutOfRangeDays(int index) const override;
  // In salvage mode: the report's lines and its summary line last.
  std::vector<std::string> SalvageReport() const override;

 protected:
  void DoOpen() override;
  void DoClose() override;

 private:
  class Reader;
  void CheckPassword();
  bool PasswordFits(const WideString& password) const;
  const Reader& OpenReader() const;
  std::string databaseName_;
  std::string tableName_;
  int codePage_ = 0;
  WideString password_;
  PasswordCallback passwordCallback_;
  bool salvage_ = false;
  std::unique_ptr<Reader> reader_;
};

}  // namespace verimo
