// The names of a user's files in the data folder, and of the temporaries through which they
// are replaced. DO NOT CHANGE: installations hold files of these names, and the recovery after
// a killed run tells by the names what each leftover is.
#pragma once

#include <cstddef>
#include <string_view>

namespace vellumkeep {

inline constexpr std::string_view kDataExtension = ".usr";         // the data file
inline constexpr std::string_view kPasswordExtension = ".usrpas";  // the password file

// A file being replaced or created: its new contents wait under this suffix until renamed.
inline constexpr std::string_view kNewSuffix = ".new";
// The two new files of a change of mode or password, waiting to be renamed as a pair.
inline constexpr std::string_view kPendingSuffix = ".pending";
// A password file set aside while its account is deleted.
inline constexpr std::string_view kRemovedSuffix = ".removed";
// The plain working files of earlier versions.
inline constexpr std::string_view kOldWorkingExtension = ".tmp";

// What follows the user's name in the name of every file the program makes for a user: the
// data file and the password file, then the leftovers of a change cut off by a kill or a
// failure.
inline constexpr std::string_view kUserFileSuffixes[] = {
    ".usr",         ".usrpas",         ".usr.new",        ".usrpas.new",
    ".usr.pending", ".usrpas.pending", ".usrpas.removed", kOldWorkingExtension,
};
// The leftovers among them: kUserFileSuffixes from here on.
inline constexpr std::size_t kFirstLeftoverSuffix = 2;

namespace file_names_check {
constexpr bool joins(std::string_view whole, std::string_view head, std::string_view tail) {
  return whole.size() == head.size() + tail.size() && whole.substr(0, head.size()) == head &&
         whole.substr(head.size()) == tail;
}
static_assert(kUserFileSuffixes[0] == kDataExtension);
static_assert(kUserFileSuffixes[1] == kPasswordExtension);
static_assert(joins(kUserFileSuffixes[2], kDataExtension, kNewSuffix));
static_assert(joins(kUserFileSuffixes[3], kPasswordExtension, kNewSuffix));
static_assert(joins(kUserFileSuffixes[4], kDataExtension, kPendingSuffix));
static_assert(joins(kUserFileSuffixes[5], kPasswordExtension, kPendingSuffix));
static_assert(joins(kUserFileSuffixes[6], kPasswordExtension, kRemovedSuffix));
}  // namespace file_names_check

}  // namespace vellumkeep
