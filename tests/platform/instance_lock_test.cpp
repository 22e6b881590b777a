#include "platform/instance_lock.h"

#include <gtest/gtest.h>

#include <filesystem>

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

TEST(InstanceLockTest, LinkIsNeverFollowed) {
  TempFolder folder;
  const std::string target = folder.path() + "target.lock";
  std::filesystem::create_symlink(target, folder.path() + "Config.ini.lock");
  InstanceLock lock(folder.path() + "Config.ini.lock");
  EXPECT_EQ(InstanceLock::Result::kSymbolicLink, lock.result());
  EXPECT_FALSE(std::filesystem::exists(target));
}

}  // namespace
}  // namespace vellumkeep
