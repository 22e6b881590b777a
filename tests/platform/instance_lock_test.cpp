#include "platform/instance_lock.h"

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace vellumkeep {
namespace {

TEST(InstanceLockTest, OneHolderAtATime) {
  TempFolder folder;
  std::string path = folder.path() + "Config.ini.lock";
  {
    InstanceLock first(path);
    EXPECT_EQ(InstanceLock::Result::kAcquired, first.result());
    InstanceLock second(path);
    EXPECT_EQ(InstanceLock::Result::kHeldElsewhere, second.result());
  }
  InstanceLock again(path);
  EXPECT_EQ(InstanceLock::Result::kAcquired, again.result());
  InstanceLock nowhere(folder.path() + "missing/Config.ini.lock");
  EXPECT_EQ(InstanceLock::Result::kUnavailable, nowhere.result());
}

}  // namespace
}  // namespace vellumkeep
