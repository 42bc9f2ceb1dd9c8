#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace verimo {

// What a salvaging read found in a table: one line per damaged block and
// per BLOB field with values it could not read, and the counts behind the
// summary line ("recovered 1,812 of an expected 1,850 records; 1 block
// skipped; 3 memo values missing"). An intact table has no lines.
class ParadoxDamageReport {
 public:
  // A block left out whose records are lost (up to what it could hold).
  void SkipBlock(std::string line);
  // Records cut off, such as those of a block the file ends inside.
  void LoseRecords(std::string line);
  // Damage that costs no record: a broken link whose blocks were read anyway.
  void Note(std::string line);
  // The records the header counts and those read from the blocks.
  void SetRecordCounts(int64_t expected, int64_t recovered);
  // One BLOB value that is not blank; `problem` says why it cannot be read,
  // empty when it can.
  void CountBlobValue(const std::string& fieldName, bool memo, const std::string& problem);

  int64_t ExpectedRecords() const { return expected_; }
  int64_t RecoveredRecords() const { return recovered_; }
  int SkippedBlocks() const { return skippedBlocks_; }
  // Whether records or BLOB values were lost (the header promising more
  // records than the blocks hold counts as lost).
  bool RecordsLost() const;
  bool ValuesLost() const { return MissingValues(true) + MissingValues(false) > 0; }
  bool Damaged() const { return !blockLines_.empty() || RecordsLost() || ValuesLost(); }

  // The block lines, the record-count line and the BLOB field lines.
  std::vector<std::string> Lines() const;
  std::string Summary() const;

 private:
  struct BlobField {
    std::string name;
    bool memo = false;
    int64_t values = 0;
    int64_t missing = 0;
    std::string firstProblem;
  };
  int64_t MissingValues(bool memo) const;
  void AddBlockLine(std::string line);

  std::vector<std::string> blockLines_;  // the first kMaxBlockLines of them
  int64_t moreBlockProblems_ = 0;
  std::vector<BlobField> blobFields_;
  int skippedBlocks_ = 0;
  bool recordsCut_ = false;
  int64_t expected_ = 0;
  int64_t recovered_ = 0;
};

// A count with its thousands grouped by commas: "3,218".
std::string GroupedCount(int64_t count);
// "1 record", "3,218 records".
std::string CountWithNoun(int64_t count, const char* singular, const char* plural);

}  // namespace verimo
