#include "storage/data_file.h"

#include <algorithm>
#include <stdexcept>

#include "model/messages.h"
#include "storage/account_text.h"

namespace vellumkeep {

namespace {

// How much of a data file is read at a time while it is loaded.
constexpr std::size_t kReadPiece = std::size_t{256} << 10;

[[noreturn]] void throwCorrupt() {
  throw std::domain_error(msg::kCorruptUserData);
}

std::unique_ptr<ReadableFile> openDataFile(FileSystem& fs, const std::string& path) {
  std::unique_ptr<ReadableFile> file = fs.openForReading(path);
  if (!file) throwCorrupt();
  return file;
}

}  // namespace

DataFileReader::DataFileReader(FileSystem& fs, const std::string& path, int32_t mode,
                               const CodeTable& table, const StrongKeys* keys,
                               std::string_view name)
    : mode_(mode), table_(table), file_(openDataFile(fs, path)) {
  if (mode == Strong) {
    if (!keys) throwCorrupt();
    sealed_.emplace(keys->sealingKey, name,
                    [this](std::string& piece) { return nextPieceOfFile(piece); });
  } else if (mode != Simple && mode != Unencrypted) {
    throwCorrupt();
  }
}

DataFileReader::~DataFileReader() = default;

std::size_t DataFileReader::sizeHint() const {
  // A coded file holds four bytes for each of its bytes; a sealed one more than its text.
  return mode_ == Simple ? file_->size() / 4 : file_->size();
}

bool DataFileReader::nextPieceOfFile(std::string& piece) {
  const bool more = file_->read(piece, std::min(kReadPiece, file_->size() + 1));
  if (file_->failed()) throwCorrupt();
  return more;
}

bool DataFileReader::next(std::string& text) {
  text.clear();
  if (sealed_) return sealed_->next(text);
  const bool more = nextPieceOfFile(mode_ == Simple ? coded_ : text);
  if (more && mode_ == Simple) table_.decodePiece(coded_, carried_, text);
  return more;
}

void DataFileReader::finish(const UserAccount& account) {
  if (!sealed_) return;
  sealed_->finish();
  const StrongIdentity& identity = sealed_->header().identity;
  if (account.name != identity.name || account.role != identity.role || account.mode != Strong) {
    throwCorrupt();
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
  if (file->failed()) throwCorrupt();
  return readStrongDataHeader(start);
}

void writeDataFile(const UserAccount& account, const CodeTable& table, const StrongKeys* keys,
                   std::optional<StrongSealingMemory>& sealing,
                   const std::function<void(std::string_view)>& sink) {
  if (account.mode == Unencrypted) {
    writeAccountText(account, sink);
  } else if (account.mode == Simple) {
    std::string coded;
    writeAccountText(account, [&](std::string_view piece) {
      table.encodeInto(piece, coded);
      sink(coded);
    });
  } else if (account.mode == Strong) {
    if (!keys) throw std::logic_error("mode strong needs the account's keys");
    if (!sealing) sealing.emplace();
    StrongDataWriter sealed({account.name, account.role}, *keys, *sealing, sink);
    writeAccountText(account, [&](std::string_view piece) { sealed.write(piece); });
    sealed.finish();
  }
}

}  // namespace vellumkeep
