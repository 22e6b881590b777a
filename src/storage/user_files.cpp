#include "storage/user_files.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "model/messages.h"
#include "storage/account_text.h"
#include "storage/file_io.h"
#include "storage/password_file.h"

namespace vellumkeep {

namespace {

// Suffix of the two new files of saveAccountAndPassword while they wait to be renamed.
constexpr char kPendingSuffix[] = ".pending";

// Suffix of a password file set aside while its account's files are removed.
constexpr char kRemovedSuffix[] = ".removed";

// How much of a data file is read at a time while it is loaded.
constexpr std::size_t kReadPiece = std::size_t{256} << 10;

[[noreturn]] void throwCorrupt() {
  throw std::domain_error(msg::kCorruptUserData);
}

std::string readUserFile(const std::string& path) {
  std::string contents;
  if (!readFile(path, contents)) throwCorrupt();
  return contents;
}

// The text of a data file, read a piece at a time: copied in mode unencrypted, decoded in
// mode simple, nothing in any other mode.
class DataFileText {
 public:
  // Throws the corruption error when the file cannot be opened.
  DataFileText(const CodeTable& table, int32_t mode, const std::string& path)
      : table_(table), mode_(mode), file_(path) {
    if (!file_.ok()) throwCorrupt();
  }

  // At least the size of the whole text: a coded file holds four bytes for each of its bytes.
  std::size_t sizeHint() const { return mode_ == Simple ? file_.size() / 4 : file_.size(); }

  // Replaces `text` with the next piece, possibly empty; false at the end. Throws the
  // corruption error when a read fails.
  bool next(std::string& text) {
    text.clear();
    if (mode_ != Simple && mode_ != Unencrypted) return false;
    const std::size_t pieceSize = std::min(kReadPiece, file_.size() + 1);
    const bool more = file_.read(mode_ == Simple ? coded_ : text, pieceSize);
    if (!file_.ok()) throwCorrupt();
    if (more && mode_ == Simple) table_.decodePiece(coded_, carried_, text);
    return more;
  }

 private:
  const CodeTable& table_;
  int32_t mode_;
  FileReader file_;
  std::string coded_;
  std::string carried_;
};

}  // namespace

UserFiles::UserFiles() : random_(std::random_device{}()) {}

std::string UserFiles::dataFile(std::string_view name) const {
  return dataPath + std::string(name) + ".usr";
}

std::string UserFiles::passwordFile(std::string_view name) const {
  return dataPath + std::string(name) + ".usrpas";
}

std::string UserFiles::workingFile(std::string_view name) const {
  return dataPath + std::string(name) + ".tmp";
}

std::string UserFiles::passwordFileContents(int32_t mode, std::string_view password) {
  return addFiller(writePasswordHeader(codeTable_, mode, password), random_);
}

void UserFiles::storePasswordFile(std::string_view name, int32_t mode, std::string_view password) {
  writeFileAtomically(passwordFile(name), passwordFileContents(mode, password));
  removeFile(workingFile(name));
}

int32_t UserFiles::loadPasswordFile(std::string_view name, std::string& password) {
  std::string header = dropFiller(readUserFile(passwordFile(name)));
  return readPasswordHeader(codeTable_, header, password);
}

void UserFiles::loadAccountText(int32_t mode, std::string_view name, UserAccount& scratch) {
  DataFileText data(codeTable_, mode, dataFile(name));
  // An unknown mode reads no text, and an empty text is short.
  if (mode != Simple && mode != Unencrypted) throwCorrupt();
  FileWriter working(workingFile(name), false);
  readAccountText(
      [&](std::string& piece) {
        while (data.next(piece)) {
          if (piece.empty()) continue;
          working.write(piece);
          return true;
        }
        return false;
      },
      data.sizeHint(), scratch);
  working.close();
}

template <typename DataFile>
void UserFiles::writeWorkingText(const UserAccount& account, const std::string& working,
                                 DataFile* coded) const {
  FileWriter text(working, false);
  std::string codedPiece;
  writeAccountText(account, [&](std::string_view piece) {
    text.write(piece);
    if (!coded) return;
    codeTable_.encodeInto(piece, codedPiece);
    coded->write(codedPiece);
  });
  text.close();
}

template <typename DataFile>
void UserFiles::writeAccountFiles(const UserAccount& account, const std::string& working,
                                  DataFile* data, const std::string& dataPath) const {
  if (!data || account.mode == Simple) {
    writeWorkingText(account, working, data);
    return;
  }
  // Mode unencrypted: the data file holds the account text itself, so the working file
  // becomes a second name of it rather than a second copy.
  writeAccountText(account, [&](std::string_view piece) { data->write(piece); });
  if (!linkFile(dataPath, working)) writeWorkingText<DataFile>(account, working, nullptr);
}

void UserFiles::saveAccount(const UserAccount& account) {
  const std::string working = workingFile(account.name);
  ScopedFileRemover workingOnFailure(working);
  if (account.mode == Simple || account.mode == Unencrypted) {
    AtomicFileWriter data(dataFile(account.name));
    writeAccountFiles(account, working, &data, data.temporaryPath());
    data.commit();
  } else {
    writeWorkingText<FileWriter>(account, working, nullptr);
  }
  workingOnFailure.keep();
}

void UserFiles::saveAccountAndPassword(const UserAccount& account) {
  const std::string& name = account.name;
  const bool known = account.mode == Simple || account.mode == Unencrypted;
  std::string password = passwordFileContents(account.mode, account.password);
  std::string pendingData = dataFile(name) + kPendingSuffix;
  std::string pendingPassword = passwordFile(name) + kPendingSuffix;
  const std::string working = workingFile(name);
  {
    // Both new files are whole on disk before either replaces an old one; the rename of
    // the data file is the moment the new pair counts (see completePendingSave).
    ScopedFileRemover dataOnFailure(pendingData);
    ScopedFileRemover passwordOnFailure(pendingPassword);
    ScopedFileRemover workingOnFailure(working);
    std::optional<FileWriter> data;
    if (known) data.emplace(pendingData, true);
    writeAccountFiles(account, working, data ? &*data : nullptr, pendingData);
    if (data) data->close();
    writeFileDurably(pendingPassword, password);
    if (known) renameFile(pendingData, dataFile(name));
    dataOnFailure.keep();
    passwordOnFailure.keep();
    workingOnFailure.keep();
  }
  // The new pair counts from here: should this rename fail, the next load finishes it.
  static_cast<void>(moveFile(pendingPassword, passwordFile(name)));
  removeFile(working);
}

bool UserFiles::removeAccountFiles(std::string_view name) {
  const std::string password = passwordFile(name);
  const std::string setAside = password + kRemovedSuffix;
  // The password file is set aside first, so that a data file that cannot be removed can
  // get it back: the account then stays whole.
  const bool hadPassword = fileExists(password);
  if (hadPassword && !moveFile(password, setAside)) return false;
  if (!removeFileIfPresent(dataFile(name))) {
    if (hadPassword) static_cast<void>(moveFile(setAside, password));
    return false;
  }
  removeFile(setAside);
  return true;
}

void UserFiles::completePendingSave(std::string_view name) {
  // Plain or coded copies left by an interrupted save must not outlive it.
  removeFile(atomicTemporaryOf(dataFile(name)));
  removeFile(atomicTemporaryOf(passwordFile(name)));
  std::string pendingData = dataFile(name) + kPendingSuffix;
  std::string pendingPassword = passwordFile(name) + kPendingSuffix;
  if (fileExists(pendingData)) {
    // Interrupted before the new pair counted: the old files stand.
    removeFile(pendingData);
    removeFile(pendingPassword);
  } else if (fileExists(pendingPassword)) {
    renameFile(pendingPassword, passwordFile(name));
  }
}

}  // namespace vellumkeep
