#pragma once

#include "platform/paradox/Table.h"

namespace verimo {

// Opens the table as the front ends do, with a run's code pages chosen
// before it is read: the user's ANSI code page (with its script's OEM and
// Mac ones) or the locale's, so that a table naming no code page is read
// in the right OEM code page; the table read in `tableCodePage` when it is
// not 0. Without a user's code page, the run's code pages then follow the
// code page the table is read in (FollowTableCodePage).
void OpenWithRunCodePages(TTable& table, int userAnsiCodePage, int tableCodePage);

}  // namespace verimo
