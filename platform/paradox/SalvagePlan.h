#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/paradox/DamageReport.h"
#include "platform/paradox/Header.h"

namespace verimo::paradox {

// A data block the reader takes, with the records it reads from it.
struct PlannedBlock {
  int number = 0;
  int records = 0;
};

// What a block's first bytes say about it.
struct BlockHead {
  int next = 0;
  int previous = 0;
  int16_t lastRecordOffset = -1;
  size_t present = 0;   // bytes of the block that the file holds
  bool zeroed = false;  // every byte the file holds of it is zero
};

// The blocks a salvaging read takes from a table whose chain of blocks
// cannot be read as it stands, in reading order: the chain from the
// header's first block as far as it holds, then the blocks it does not
// reach, each run of them in the order of its own links, runs in the order
// of their position in the file. Blocks whose head is impossible (a record
// count beyond the block, a previous-block link to no block of the table)
// or that hold only zero bytes are left out; so are the records of a block
// the file ends inside that are not whole. Every problem goes into
// `report` as one line. `readHead` gives the head of a block from 1 to
// `blocksInFile`.
std::vector<PlannedBlock> PlanSalvage(const TableHeader& header, int blocksInFile,
                                      const std::function<BlockHead(int)>& readHead, ParadoxDamageReport& report);

}  // namespace verimo::paradox
