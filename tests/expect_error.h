// Checks of the errors that carry the program's messages.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace vellumkeep {

// The message of the error of kind Error that `action` throws; "(no error)" when it throws
// none. An error of another kind passes through and fails the test.
template <typename Error, typename Action>
std::string errorText(Action action) {
  try {
    action();
  } catch (const Error& error) {
    return error.what();
  }
  return "(no error)";
}

// Expects `action` to throw an error of kind Error with exactly `message`.
template <typename Error, typename Action>
void expectError(Action action, const std::string& message) {
  EXPECT_EQ(message, errorText<Error>(action));
}

}  // namespace vellumkeep
