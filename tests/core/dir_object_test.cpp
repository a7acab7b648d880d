#include "core/dir_object.h"

#include <gtest/gtest.h>

#include "support/qt_print.h"

namespace quill {
namespace {

TEST(DirObjectTest, StagedValueIsTheFirstValueOfTheAttributeInAnyCase) {
  DirObject obj;
  obj.stage("description", {"first", "second"});
  obj.stage("DESCRIPTION", {"again"});  // replaces, whatever the case
  EXPECT_EQ(obj.staged.size(), 1u);
  EXPECT_EQ(obj.stagedValue("Description"), "again");
  EXPECT_EQ(obj.stagedValue("sn"), std::nullopt);
  // An attribute staged without a value gives nothing, and no value of
  // another entry is taken for it.
  obj.staged = {{"cn", {}}, {"CN", {"x"}}};
  EXPECT_EQ(obj.stagedValue("cn"), "x");
  obj.staged = {{"cn", {}}};
  EXPECT_EQ(obj.stagedValue("cn"), std::nullopt);
}

}  // namespace
}  // namespace quill
