#include "storage/user_files.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <stdexcept>

#include "model/messages.h"
#include "storage/account_text.h"
#include "storage/file_io.h"
#include "storage/file_names.h"
#include "storage/password_file.h"

namespace vellumkeep {

namespace {

// How much of a data file is read at a time while it is loaded.
constexpr std::size_t kReadPiece = std::size_t{256} << 10;

[[noreturn]] void throwCorrupt() {
  throw std::domain_error(msg::kCorruptUserData);
}

// The text of a data file, read a piece at a time: copied in mode unencrypted, decoded in
// mode simple.
class DataFileText {
 public:
  // Throws the corruption error when the file cannot be opened or the mode is unknown.
  DataFileText(FileSystem& fs, const CodeTable& table, int32_t mode, const std::string& path)
      : table_(table), mode_(mode), file_(fs.openForReading(path)) {
    if (!file_ || (mode != Simple && mode != Unencrypted)) throwCorrupt();
  }

  // At least the size of the whole text: a coded file holds four bytes for each of its bytes.
  std::size_t sizeHint() const { return mode_ == Simple ? file_->size() / 4 : file_->size(); }

  // Replaces `text` with the next piece, possibly empty; false at the end. Throws the
  // corruption error when a read fails.
  bool next(std::string& text) {
    text.clear();
    const std::size_t pieceSize = std::min(kReadPiece, file_->size() + 1);
    const bool more = file_->read(mode_ == Simple ? coded_ : text, pieceSize);
    if (file_->failed()) throwCorrupt();
    if (more && mode_ == Simple) table_.decodePiece(coded_, carried_, text);
    return more;
  }

 private:
  const CodeTable& table_;
  int32_t mode_;
  std::unique_ptr<ReadableFile> file_;
  std::string coded_;
  std::string carried_;
};

}  // namespace

UserFiles::UserFiles(FileSystem& fs) : fs_(fs), random_(std::random_device{}()) {}

std::string UserFiles::dataFile(std::string_view name) const {
  return dataPath + std::string(name) + std::string(kDataExtension);
}

std::string UserFiles::passwordFile(std::string_view name) const {
  return dataPath + std::string(name) + std::string(kPasswordExtension);
}

std::string UserFiles::passwordFileContents(int32_t mode, std::string_view password) {
  return addFiller(writePasswordHeader(codeTable_, mode, password), random_);
}

void UserFiles::storePasswordFile(std::string_view name, int32_t mode, std::string_view password) {
  writeFileAtomically(fs_, passwordFile(name), passwordFileContents(mode, password));
}

int32_t UserFiles::loadPasswordFile(std::string_view name, std::string& password) {
  std::string file;
  if (!readFile(fs_, passwordFile(name), file)) throwCorrupt();
  return readPasswordHeader(codeTable_, dropFiller(file), password);
}

void UserFiles::loadAccountText(int32_t mode, std::string_view name, UserAccount& scratch) {
  DataFileText data(fs_, codeTable_, mode, dataFile(name));
  readAccountText(
      [&](std::string& piece) {
        while (data.next(piece)) {
          if (!piece.empty()) return true;
        }
        return false;
      },
      data.sizeHint(), scratch);
}

template <typename DataFile>
void UserFiles::writeDataFile(const UserAccount& account, DataFile& data) const {
  if (account.mode == Unencrypted) {
    writeAccountText(account, [&](std::string_view piece) { data.write(piece); });
  } else if (account.mode == Simple) {
    std::string coded;
    writeAccountText(account, [&](std::string_view piece) {
      codeTable_.encodeInto(piece, coded);
      data.write(coded);
    });
  }
}

void UserFiles::saveAccount(const UserAccount& account) {
  if (account.mode != Simple && account.mode != Unencrypted) return;
  AtomicFileWriter data(fs_, dataFile(account.name));
  writeDataFile(account, data);
  data.commit();
}

void UserFiles::saveAccountAndPassword(const UserAccount& account) {
  const std::string& name = account.name;
  const bool known = account.mode == Simple || account.mode == Unencrypted;
  std::string password = passwordFileContents(account.mode, account.password);
  const std::string pendingData = dataFile(name) + std::string(kPendingSuffix);
  const std::string pendingPassword = passwordFile(name) + std::string(kPendingSuffix);
  {
    // Both new files are whole on disk before either replaces an old one; the rename of
    // the data file is the moment the new pair counts (see recoverDataFolder).
    ScopedFileRemover dataOnFailure(fs_, pendingData);
    ScopedFileRemover passwordOnFailure(fs_, pendingPassword);
    if (known) {
      FileWriter data(fs_, pendingData);
      writeDataFile(account, data);
      data.finish();
    }
    writeFileDurably(fs_, pendingPassword, password);
    if (known) renameFile(fs_, pendingData, dataFile(name));
    dataOnFailure.keep();
    passwordOnFailure.keep();
  }
  // The new pair counts from here: should this rename fail, the next start finishes it.
  static_cast<void>(moveFile(fs_, pendingPassword, passwordFile(name)));
}

bool UserFiles::hasFiles(std::string_view name) const {
  return fs_.exists(dataFile(name)) || fs_.exists(passwordFile(name));
}

void UserFiles::writeNewAccount(const UserAccount& account) {
  const std::string& name = account.name;
  ScopedFileRemover dataOnFailure(fs_, atomicTemporaryOf(dataFile(name)));
  ScopedFileRemover passwordOnFailure(fs_, atomicTemporaryOf(passwordFile(name)));
  FileWriter data(fs_, dataOnFailure.path());
  writeDataFile(account, data);
  data.finish();
  writeFileDurably(fs_, passwordOnFailure.path(),
                   passwordFileContents(account.mode, account.password));
  // The temporaries must be on disk before Config.ini names the account.
  if (!fs_.syncFolder(folderOf(dataFile(name)))) throw std::runtime_error(msg::kWriteFailed);
  dataOnFailure.keep();
  passwordOnFailure.keep();
}

void UserFiles::commitNewAccount(std::string_view name) {
  renameFile(fs_, atomicTemporaryOf(passwordFile(name)), passwordFile(name));
  renameFile(fs_, atomicTemporaryOf(dataFile(name)), dataFile(name));
}

void UserFiles::discardNewAccount(std::string_view name) {
  // The name had no files before, so whatever of them is in place is the new account's own.
  for (const std::string& file : {dataFile(name), passwordFile(name)}) {
    fs_.removeFile(atomicTemporaryOf(file));
    fs_.removeFile(file);
  }
}

void UserFiles::beginRemoval(std::string_view name) {
  const std::string password = passwordFile(name);
  if (fs_.exists(password)) renameFile(fs_, password, password + std::string(kRemovedSuffix));
}

void UserFiles::undoRemoval(std::string_view name) {
  const std::string password = passwordFile(name);
  const std::string setAside = password + std::string(kRemovedSuffix);
  if (fs_.exists(setAside)) static_cast<void>(moveFile(fs_, setAside, password));
}

bool UserFiles::finishRemoval(std::string_view name) {
  if (!fs_.removeFile(dataFile(name))) return false;
  fs_.removeFile(passwordFile(name) + std::string(kRemovedSuffix));
  return true;
}

}  // namespace vellumkeep
