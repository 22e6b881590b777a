// A user's data file in each mode, a piece at a time: the account text itself (unencrypted),
// its four-digit codes (simple), or sealed with the user's key (strong). Neither the file nor
// the text is ever held whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "model/user_account.h"
#include "platform/file_system.h"
#include "storage/account_keys.h"
#include "storage/strong_data_file.h"

namespace vellumkeep {

// Reads the text of a data file.
class DataFileReader {
 public:
  // Opens the data file `path` of user `name`, written in `mode`, with the user's keys. Throws
  // the corruption error when the file is missing or no regular file, the mode unknown or not
  // that of the keys, or, in mode strong, its header damaged or another user's.
  DataFileReader(FileSystem& fs, const std::string& path, int32_t mode, const AccountKeys& keys,
                 std::string_view name);
  ~DataFileReader();

  // At least the size of the whole text.
  std::size_t sizeHint() const;
  // Replaces `text` with the next piece, possibly empty; false at the end. Throws the
  // corruption error when a read fails or the file is damaged.
  bool next(std::string& text);
  // Checks the rest of the file once `account`, the text needed, has been read: in mode strong
  // only the end shows that the file is whole, and the account must be the one the header
  // names, with its role and the mode. Throws the corruption error.
  void finish(const UserAccount& account);

 private:
  // The next piece of the file itself; false at its end.
  bool nextPieceOfFile(std::string& piece);

  int32_t mode_;
  const CodeTable* table_;
  std::unique_ptr<ReadableFile> file_;
  std::string coded_;
  std::string carried_;
  std::optional<StrongDataReader> sealed_;
};

// The header of a data file in mode strong: the user's identity, readable without the key.
// Throws the corruption error when the file is missing, of another mode or damaged there.
StrongDataHeader readStrongHeader(FileSystem& fs, const std::string& path);

// Hands the data file of `account`, written in its mode with its keys, to `sink` a piece at a
// time; nothing for an unknown mode. Mode strong seals in `sealing`, made here at the first save
// in mode strong, for the caller to keep and lend to the next. Throws the coding errors of the
// table.
void writeDataFile(const UserAccount& account, const AccountKeys& keys,
                   std::optional<StrongSealingMemory>& sealing,
                   const std::function<void(std::string_view)>& sink);

}  // namespace vellumkeep
