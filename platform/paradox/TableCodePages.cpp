#include "platform/paradox/TableCodePages.h"

#include "platform/codepage/SystemCodePages.h"

namespace verimo {

void OpenWithRunCodePages(TTable& table, int userAnsiCodePage, int tableCodePage) {
  BeginRunCodePages(userAnsiCodePage);
  table.SetCodePage(tableCodePage);
  table.Open();
  if (userAnsiCodePage == 0) FollowTableCodePage(table.Info().codePage);
}

}  // namespace verimo
