#include "core/share_service.h"

#include <gtest/gtest.h>

namespace quill {
namespace {

TEST(TypeTextTest, NamesEveryShareTypeAndItsHiddenForm) {
  // The hidden types arrive as signed 32-bit numbers with the high bit set.
  const struct {
    int32_t type;
    const char* text;
  } cases[] = {
      {0, "Disk"},
      {1, "Printer Queue"},
      {2, "Device"},
      {3, "IPC"},
      {INT32_MIN, "Hidden Disk"},
      {INT32_MIN + 1, "Hidden Printer Queue"},
      {INT32_MIN + 2, "Hidden Device"},
      {INT32_MIN + 3, "Hidden IPC"},
      {4, "Unknown"},
      {0x40000000, "Unknown"},
      {INT32_MIN + 4, "Unknown"},
      {-1, "Unknown"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TypeText(static_cast<uint32_t>(c.type)), QString::fromLatin1(c.text)) << c.type;
  }
}

}  // namespace
}  // namespace quill
