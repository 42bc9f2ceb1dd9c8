#include "platform/paradox/SalvagePlan.h"

#include <algorithm>
#include <optional>
#include <string>

namespace verimo::paradox {

namespace {

class SalvagePlanner {
 public:
  SalvagePlanner(const TableHeader& header, int blocksInFile, const std::function<BlockHead(int)>& readHead,
                 ParadoxDamageReport& report)
      : header_(header),
        blocksInFile_(blocksInFile),
        tableBlocks_(std::max(blocksInFile, header.fileBlocks)),
        capacity_((header.info.blockSize - kBlockHeaderSize) / header.info.recordSize),
        readHead_(readHead),
        report_(report),
        heads_(static_cast<size_t>(blocksInFile) + 1),
        verdicts_(static_cast<size_t>(blocksInFile) + 1),
        placed_(static_cast<size_t>(blocksInFile) + 1) {}

  std::vector<PlannedBlock> Plan() {
    FollowChain();
    ReadUnreachedBlocks();
    return plan_;
  }

 private:
  // The records a block gives, or nothing when it is left out.
  using Verdict = std::optional<int>;

  const BlockHead& Head(int block) {
    std::optional<BlockHead>& head = heads_[static_cast<size_t>(block)];
    if (!head) head = readHead_(block);
    return *head;
  }

  std::string Where(int block) const {
    return "block " + std::to_string(block) + " at offset " +
           std::to_string(header_.headerSize + static_cast<int64_t>(block - 1) * header_.info.blockSize);
  }

  std::string UpToCapacity() const { return "; skipped: up to " + CountWithNoun(capacity_, "record", "records"); }

  const Verdict& Judge(int block) {
    std::optional<Verdict>& verdict = verdicts_[static_cast<size_t>(block)];
    if (!verdict) verdict = FirstJudgement(block);
    return *verdict;
  }

  // Decides on a block once, reporting what is wrong with it.
  Verdict FirstJudgement(int block) {
    const BlockHead& head = Head(block);
    const int recordSize = header_.info.recordSize;
    if (head.present < static_cast<size_t>(kBlockHeaderSize)) {
      report_.SkipBlock(Where(block) + ": the file ends before its block header can be read" + UpToCapacity());
      return std::nullopt;
    }
    if (head.zeroed) {
      report_.SkipBlock(Where(block) + ": it holds only zero bytes" + UpToCapacity());
      return std::nullopt;
    }
    int records = 0;
    if (head.lastRecordOffset >= 0) {
      if (head.lastRecordOffset % recordSize != 0) {
        report_.SkipBlock(Where(block) + ": its last record offset " + std::to_string(head.lastRecordOffset) +
                          " is not a multiple of the record size " + std::to_string(recordSize) + UpToCapacity());
        return std::nullopt;
      }
      records = head.lastRecordOffset / recordSize + 1;
      if (records > capacity_) {
        report_.SkipBlock(Where(block) + ": its record count " + std::to_string(records) + " is beyond the block's " +
                          std::to_string(capacity_) + UpToCapacity());
        return std::nullopt;
      }
    }
    if (head.previous > tableBlocks_ || head.previous == block) {
      std::string problem = Where(block) + ": its previous-block link " + std::to_string(head.previous) +
                            " names no block of the table";
      if (records == 0)
        report_.Note(problem + "; skipped (it holds no records)");
      else
        report_.SkipBlock(problem + "; skipped: " + CountWithNoun(records, "record", "records"));
      return std::nullopt;
    }
    const int whole = static_cast<int>((head.present - kBlockHeaderSize) / static_cast<size_t>(recordSize));
    if (whole < records) {
      report_.LoseRecords(Where(block) + ": the file ends inside it; " + std::to_string(whole) + " of its " +
                          CountWithNoun(records, "record", "records") + " are whole, " + std::to_string(records - whole) +
                          " lost");
      records = whole;
    }
    return records;
  }

  void Place(int block, int records) {
    placed_[static_cast<size_t>(block)] = true;
    if (records > 0) plan_.push_back({block, records});
  }

  // Where a link starts: the header or a block.
  std::string LinkFrom(int block) const {
    return block == 0 ? std::string("the header's first-block link") : Where(block) + ": its next-block link";
  }

  // Takes the chain from the header's first block as far as its links hold.
  void FollowChain() {
    int from = 0;
    for (int link = header_.firstBlock; link != 0;) {
      if (link > tableBlocks_) {
        report_.Note(LinkFrom(from) + " " + std::to_string(link) + " names no block of the table (" +
                     CountWithNoun(tableBlocks_, "block", "blocks") + ")");
        return;
      }
      if (link > blocksInFile_) {
        report_.Note(LinkFrom(from) + " " + std::to_string(link) +
                     " lies beyond the end of the file, which ends after block " + std::to_string(blocksInFile_));
        return;
      }
      if (placed_[static_cast<size_t>(link)]) {
        report_.Note(LinkFrom(from) + " leads back to block " + std::to_string(link));
        return;
      }
      const Verdict& verdict = Judge(link);
      if (!verdict) return;  // the links of a block left out are not followed
      Place(link, *verdict);
      from = link;
      link = Head(link).next;
    }
  }

  // The blocks the chain did not reach: runs of linked blocks from their
  // first block, in position order, then what is left (blocks linked in a
  // ring) by position.
  void ReadUnreachedBlocks() {
    std::vector<bool> usable(static_cast<size_t>(blocksInFile_) + 1);
    for (int block = 1; block <= blocksInFile_; ++block)
      usable[static_cast<size_t>(block)] = !placed_[static_cast<size_t>(block)] && Judge(block).has_value();
    auto linkedUsable = [&](int block) {
      int next = Head(block).next;
      return next >= 1 && next <= blocksInFile_ && next != block && usable[static_cast<size_t>(next)] ? next : 0;
    };
    std::vector<bool> linkedTo(static_cast<size_t>(blocksInFile_) + 1);
    for (int block = 1; block <= blocksInFile_; ++block)
      if (usable[static_cast<size_t>(block)]) linkedTo[static_cast<size_t>(linkedUsable(block))] = true;

    const size_t before = plan_.size();
    auto run = [&](int first) {
      for (int block = first; block != 0 && !placed_[static_cast<size_t>(block)]; block = linkedUsable(block))
        Place(block, *Judge(block));
    };
    for (int block = 1; block <= blocksInFile_; ++block)
      if (usable[static_cast<size_t>(block)] && !linkedTo[static_cast<size_t>(block)]) run(block);
    for (int block = 1; block <= blocksInFile_; ++block)
      if (usable[static_cast<size_t>(block)]) run(block);
    if (size_t read = plan_.size() - before)
      report_.Note(CountWithNoun(static_cast<int64_t>(read), "block", "blocks") +
                   " the chain does not reach were read in the order of their own links and positions");
  }

  const TableHeader& header_;
  const int blocksInFile_;
  const int tableBlocks_;  // the blocks a link may name
  const int capacity_;     // records a block can hold
  const std::function<BlockHead(int)>& readHead_;
  ParadoxDamageReport& report_;
  std::vector<std::optional<BlockHead>> heads_;
  std::vector<std::optional<Verdict>> verdicts_;
  std::vector<bool> placed_;
  std::vector<PlannedBlock> plan_;
};

}  // namespace

std::vector<PlannedBlock> PlanSalvage(const TableHeader& header, int blocksInFile,
                                      const std::function<BlockHead(int)>& readHead, ParadoxDamageReport& report) {
  return SalvagePlanner(header, blocksInFile, readHead, report).Plan();
}

}  // namespace verimo::paradox
