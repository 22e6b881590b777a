// The names of a user's files in the data folder, and of the temporaries through which they
// are replaced. DO NOT CHANGE: installations hold files of these names, and the recovery after
// a killed run tells by the names what each leftover is.
#pragma once

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

}  // namespace vellumkeep
