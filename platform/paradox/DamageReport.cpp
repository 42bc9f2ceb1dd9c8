#include "platform/paradox/DamageReport.h"

#include <algorithm>

namespace verimo {

namespace {

// Block lines the report keeps; a table damaged all over gets one line
// counting the rest.
constexpr size_t kMaxBlockLines = 50;

}  // namespace

std::string GroupedCount(int64_t count) {
  std::string digits = std::to_string(count < 0 ? -count : count);
  std::string text;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
    text += digits[i];
  }
  return count < 0 ? "-" + text : text;
}

std::string CountWithNoun(int64_t count, const char* singular, const char* plural) {
  return GroupedCount(count) + " " + (count == 1 ? singular : plural);
}

void ParadoxDamageReport::AddBlockLine(std::string line) {
  if (blockLines_.size() < kMaxBlockLines)
    blockLines_.push_back(std::move(line));
  else
    ++moreBlockProblems_;
}

void ParadoxDamageReport::SkipBlock(std::string line) {
  AddBlockLine(std::move(line));
  ++skippedBlocks_;
}

void ParadoxDamageReport::LoseRecords(std::string line) {
  AddBlockLine(std::move(line));
  recordsCut_ = true;
}

void ParadoxDamageReport::Note(std::string line) { AddBlockLine(std::move(line)); }

void ParadoxDamageReport::SetRecordCounts(int64_t expected, int64_t recovered) {
  expected_ = expected;
  recovered_ = recovered;
}

void ParadoxDamageReport::CountBlobValue(const std::string& fieldName, bool memo, const std::string& problem) {
  auto field = std::find_if(blobFields_.begin(), blobFields_.end(),
                            [&](const BlobField& known) { return known.name == fieldName; });
  if (field == blobFields_.end()) field = blobFields_.insert(blobFields_.end(), BlobField{fieldName, memo, 0, 0, {}});
  ++field->values;
  if (problem.empty()) return;
  if (field->missing++ == 0) field->firstProblem = problem;
}

bool ParadoxDamageReport::RecordsLost() const { return skippedBlocks_ > 0 || recordsCut_ || recovered_ < expected_; }

int64_t ParadoxDamageReport::MissingValues(bool memo) const {
  int64_t missing = 0;
  for (const BlobField& field : blobFields_)
    if (field.memo == memo) missing += field.missing;
  return missing;
}

std::vector<std::string> ParadoxDamageReport::Lines() const {
  std::vector<std::string> lines = blockLines_;
  if (moreBlockProblems_ > 0)
    lines.push_back("and " + CountWithNoun(moreBlockProblems_, "more problem", "more problems") + " with blocks");
  if (recovered_ != expected_)
    lines.push_back("the header counts " + CountWithNoun(expected_, "record", "records") + ", the data blocks hold " +
                    GroupedCount(recovered_));
  for (const BlobField& field : blobFields_)
    if (field.missing > 0)
      lines.push_back("field '" + field.name + "': " + GroupedCount(field.missing) + " of " +
                      CountWithNoun(field.values, "value", "values") + " missing (" + field.firstProblem + ")");
  return lines;
}

std::string ParadoxDamageReport::Summary() const {
  std::string text = recovered_ <= expected_
                         ? "recovered " + GroupedCount(recovered_) + " of an expected " +
                               CountWithNoun(expected_, "record", "records")
                         : "recovered " + CountWithNoun(recovered_, "record", "records") + ", the header expected " +
                               GroupedCount(expected_);
  if (skippedBlocks_ > 0) text += "; " + CountWithNoun(skippedBlocks_, "block", "blocks") + " skipped";
  if (int64_t memos = MissingValues(true)) text += "; " + CountWithNoun(memos, "memo value", "memo values") + " missing";
  if (int64_t blobs = MissingValues(false)) text += "; " + CountWithNoun(blobs, "BLOB value", "BLOB values") + " missing";
  return text;
}

}  // namespace verimo
