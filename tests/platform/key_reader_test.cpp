#include "platform/key_reader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>

#include "test_pipe.h"

namespace vellumkeep {
namespace {

using std::chrono::milliseconds;
using Result = KeyReader::Result;

// Types a key into the pipe when it falls due.
class TypingTask : public WaitTask {
 public:
  TypingTask(TestPipe& keys, milliseconds after)
      : keys_(keys), due_(std::chrono::steady_clock::now() + after) {}
  std::optional<SteadyTime> due() const override { return due_; }
  void run() override {
    ++runs;
    due_.reset();
    keys_.put("k");
  }
  int runs = 0;

 private:
  TestPipe& keys_;
  std::optional<SteadyTime> due_;
};

TEST(KeyReaderTest, ReadsByteByByteUntilTheEnd) {
  TestPipe keys;
  keys.put("a\x03");
  KeyReader reader(keys.read.get());
  reader.setIdleLimit(milliseconds(60000));
  unsigned char key = 0;
  ASSERT_EQ(Result::kKey, reader.next(key));
  EXPECT_EQ('a', key);
  ASSERT_EQ(Result::kKey, reader.next(key));
  EXPECT_EQ(0x03, key);
  keys.write.reset();
  EXPECT_EQ(Result::kEnd, reader.next(key));
}

TEST(KeyReaderTest, GivesUpAfterTheIdleLimitUnlessPaused) {
  TestPipe keys;
  KeyReader reader(keys.read.get());
  reader.setIdleLimit(milliseconds(20));
  unsigned char key = 0;
  EXPECT_EQ(Result::kIdle, reader.next(key));
  // Paused, the reader waits past the limit: here until the task types a key.
  reader.pauseIdleLimit(true);
  TypingTask task(keys, milliseconds(60));
  reader.setWaitTask(&task);
  ASSERT_EQ(Result::kKey, reader.next(key));
  EXPECT_EQ('k', key);
  EXPECT_EQ(1, task.runs);
  reader.pauseIdleLimit(false);
  EXPECT_EQ(Result::kIdle, reader.next(key));
}

}  // namespace
}  // namespace vellumkeep
