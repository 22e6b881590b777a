// Random passwords for stored credentials, shown once and stored nowhere: every byte is drawn
// uniformly from the text bytes, and a whole password is drawn again until it holds a
// lower-case letter, an upper-case letter, a digit and a sign, so that the result is uniform
// over the passwords that hold all four.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vellumkeep {

inline constexpr size_t kDefaultGeneratedLength = 20;
inline constexpr size_t kShortestGeneratedLength = 8;
inline constexpr size_t kLongestGeneratedLength = 64;

// The sixteen signs of the text bytes (the underscore is not one of them).
inline constexpr std::string_view kSigns = "@.~!#$%^&*()-=+/";

// Gives a uniformly drawn number below `bound` (bound > 0).
using UniformSource = std::function<uint32_t(uint32_t bound)>;

// A password of `length` (at least 4) text bytes holding every kind, drawn from `uniform`.
std::string drawPassword(size_t length, const UniformSource& uniform);

// True when `password` holds a lower-case letter, an upper-case letter, a digit and a sign.
bool holdsEveryKind(std::string_view password);

// The length typed after genpassword: decimal digits only, from 8 to 64; otherwise throws
// "密码长度应为8到64之间的数字!".
size_t generatedLength(std::string_view text);

// libsodium's uniform numbers; initializeSodium must have succeeded.
uint32_t secureUniform(uint32_t bound);

}  // namespace vellumkeep
