#include "platform/clipboard/Clipboard.h"

#include <gtest/gtest.h>

namespace verimo {
namespace {

TEST(MemoryClipboardTest, KeepsEveryCodeUnitOfTheText) {
  TMemoryClipboard memory;
  TClipboard& clipboard = memory;
  EXPECT_FALSE(clipboard.HasText());
  const WideString text = u"a\tş\r\n\U0001F600" + WideString(1, u'\0') + u"z";
  clipboard.SetText(text);
  EXPECT_TRUE(clipboard.HasText());
  EXPECT_EQ(clipboard.GetText(), text);
  clipboard.SetText(u"");
  EXPECT_TRUE(clipboard.HasText());
  EXPECT_EQ(clipboard.GetText(), u"");
  memory.Clear();
  EXPECT_FALSE(clipboard.HasText());
}

}  // namespace
}  // namespace verimo
