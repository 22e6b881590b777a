#include "storage/data_file.h"

#include <algorithm>
#include <stdexcept>

#include "storage/account_text.h"
#include "storage/corruption.h"

namespace vellumkeep {

namespace {

// How much of a data file is read at a time while it is loaded.
constexpr std::size_t kReadPiece = std::size_t{256} << 10;

// The keys of the account's mode; the caller's fault when they are of another mode.
template <typename Keys>
const Keys& required(const Keys* keys) {
  if (!keys) throw std::logic_error("the account's keys are of another mode");
  return *keys;
}

std::unique_ptr<ReadableFile> openDataFile(FileSystem& fs, const std::string& path) {
  std::unique_ptr<ReadableFile> file = fs.openForReading(path);
  if (!file) throwCorruptUserData();
  return file;
}

}  // namespace

DataFileReader::DataFileReader(FileSystem& fs, const std::string& path, int32_t mode,
                               const AccountKeys& keys, std::string_view name)
    : mode_(mode), table_(keys.table()), file_(openDataFile(fs, path)) {
  if (mode == Strong) {
    if (!keys.strong()) throwCorruptUserData();
    sealed_.emplace(keys.strong()->sealingKey, name,
                    [this](std::string& piece) { return nextPieceOfFile(piece); });
  } else if ((mode != Simple && mode != Unencrypted) || !table_) {
    throwCorruptUserData();
  }
}

DataFileReader::~DataFileReader() = default;

std::size_t DataFileReader::sizeHint() const {
  // A coded file holds four bytes for each of its bytes; a sealed one more than its text.
  return mode_ == Simple ? file_->size() / 4 : file_->size();
}

bool DataFileReader::nextPieceOfFile(std::string& piece) {
  const bool more = file_->read(piece, std::min(kReadPiece, file_->size() + 1));
  if (file_->failed()) throwCorruptUserData();
  return more;
}

bool DataFileReader::next(std::string& text) {
  text.clear();
  if (sealed_) return sealed_->next(text);
  const bool more = nextPieceOfFile(mode_ == Simple ? coded_ : text);
  if (more && mode_ == Simple) table_->decodePiece(coded_, carried_, text);
  return more;
}

void DataFileReader::finish(const UserAccount& account) {
  if (!sealed_) return;
  sealed_->finish();
  const StrongIdentity& identity = sealed_->header().identity;
  if (account.name != identity.name || account.role != identity.role || account.mode != Strong) {
    throwCorruptUserData();
  }
}

StrongDataHeader readStrongHeader(FileSystem& fs, const std::string& path) {
  std::unique_ptr<ReadableFile> file = openDataFile(fs, path);
  std::string start;
  std::string piece;
  while (start.size() < kMaxStrongDataHeaderBytes &&
         file->read(piece, kMaxStrongDataHeaderBytes - start.size())) {
    start += piece;
  }
  if (file->failed()) throwCorruptUserData();
  return readStrongDataHeader(start);
}

void writeDataFile(const UserAccount& account, const AccountKeys& keys,
                   std::optional<StrongSealingMemory>& sealing,
                   const std::function<void(std::string_view)>& sink) {
  if (account.mode == Unencrypted) {
    writeAccountText(account, sink);
  } else if (account.mode == Simple) {
    const CodeTable& table = required(keys.table());
    std::string coded;
    writeAccountText(account, [&](std::string_view piece) {
      table.encodeInto(piece, coded);
      sink(coded);
    });
  } else if (account.mode == Strong) {
    if (!sealing) sealing.emplace();
    StrongDataWriter sealed({account.name, account.role}, required(keys.strong()), *sealing, sink);
    writeAccountText(account, [&](std::string_view piece) { sealed.write(piece); });
    sealed.finish();
  }
}

}  // namespace vellumkeep
