// Extension lists: a name counts only as a whole word.
#include <gtest/gtest.h>

#include "common/extension_list.h"

namespace {

TEST(ExtensionListTest, MatchesWholeNamesOnly) {
  const char* list = "EGL_KHR_surfaceless_context_x EGL_KHR_no_config EGL_KHR_no_config_context";
  EXPECT_TRUE(veltrane::ExtensionListHas(list, "EGL_KHR_no_config_context"));  // last, no blank
  EXPECT_TRUE(veltrane::ExtensionListHas(list, "EGL_KHR_no_config"));          // also a prefix later
  EXPECT_FALSE(veltrane::ExtensionListHas(list, "EGL_KHR_surfaceless_context"));  // only a prefix
  EXPECT_FALSE(veltrane::ExtensionListHas(list, "KHR_no_config"));              // only a suffix
  EXPECT_TRUE(veltrane::ExtensionListHas("A", "A"));
  EXPECT_FALSE(veltrane::ExtensionListHas(nullptr, "A"));
  EXPECT_FALSE(veltrane::ExtensionListHas("A B", ""));
}

}  // namespace
