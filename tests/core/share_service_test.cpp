#include "core/share_service.h"

#include <gtest/gtest.h>

namespace quill {
namespace {

TEST(TypeTextTest, TheHighBitMakesATypeHidden) {
  // The hidden types arrive as signed 32-bit numbers with the high bit set.
  const std::pair<int32_t, const char*> cases[] = {{0, "Disk"},
                                                   {3, "IPC"},
                                                   {INT32_MIN, "Hidden Disk"},
                                                   {4, "Unknown"},
                                                   {INT32_MIN + 4, "Unknown"},
                                                   {0x40000000, "Unknown"}};
  for (const auto& [type, text] : cases)
    EXPECT_EQ(TypeText(static_cast<uint32_t>(type)), QString::fromLatin1(text)) << type;
}

}  // namespace
}  // namespace quill
