// Micro-benchmarks of the storage formats: the coding of the `simple` mode in both directions,
// the keying of the code table, the account text of a store of 100,000 credentials, and mode
// strong: one key derivation (the cost of one password guess) and sealing and opening.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_data.h"
#include "storage/account_text.h"
#include "storage/code_table.h"
#include "storage/strong_data_file.h"
#include "storage/strong_keys.h"

namespace {

using namespace vellumkeep;

constexpr int kLargeStore = 100000;

std::string largeText() {
  return writeAccountText(
      bench::makeBenchAccount("bench01", "benchpw1", Simple, User, kLargeStore));
}

// Figures are bytes of input per second: plain bytes for coding, coded bytes (four for each
// plain byte) for decoding, as the data file is read.
void setBytes(benchmark::State& state, size_t bytes) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}

void BM_Encode(benchmark::State& state) {
  CodeTable table;
  table.keyCodeTable("bench01");
  const std::string plain = largeText().substr(0, static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(table.encode(plain));
  setBytes(state, plain.size());
}
BENCHMARK(BM_Encode)->Arg(4096)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

void BM_Decode(benchmark::State& state) {
  CodeTable table;
  table.keyCodeTable("bench01");
  const std::string coded =
      table.encode(largeText().substr(0, static_cast<size_t>(state.range(0))));
  for (auto _ : state) benchmark::DoNotOptimize(table.decode(coded));
  setBytes(state, coded.size());
}
BENCHMARK(BM_Decode)->Arg(4096)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

void BM_KeyCodeTable(benchmark::State& state) {
  CodeTable table;
  const char* names[] = {"bench01", "root", "user0999", "Zz_9.~!#$%^&"};
  size_t i = 0;
  for (auto _ : state) {
    table.keyCodeTable(names[i++ % 4]);
    benchmark::DoNotOptimize(table.pairs());
  }
}
BENCHMARK(BM_KeyCodeTable);

void BM_WriteAccountText(benchmark::State& state) {
  const UserAccount account =
      bench::makeBenchAccount("bench01", "benchpw1", Simple, User, kLargeStore);
  size_t bytes = 0;
  for (auto _ : state) {
    std::string text = writeAccountText(account);
    bytes = text.size();
    benchmark::DoNotOptimize(text);
  }
  setBytes(state, bytes);
}
BENCHMARK(BM_WriteAccountText)->Unit(benchmark::kMillisecond);

// The form the saves use: pieces handed on as they fill, the whole text never held.
void BM_WriteAccountTextInPieces(benchmark::State& state) {
  const UserAccount account =
      bench::makeBenchAccount("bench01", "benchpw1", Simple, User, kLargeStore);
  size_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    writeAccountText(account, [&](std::string_view piece) {
      benchmark::DoNotOptimize(piece.data());
      bytes += piece.size();
    });
  }
  setBytes(state, bytes);
}
BENCHMARK(BM_WriteAccountTextInPieces)->Unit(benchmark::kMillisecond);

void BM_ReadAccountText(benchmark::State& state) {
  const std::string text = largeText();
  UserAccount scratch;
  for (auto _ : state) {
    readAccountText(text, scratch);
    benchmark::DoNotOptimize(scratch);
  }
  setBytes(state, text.size());
}
BENCHMARK(BM_ReadAccountText)->Unit(benchmark::kMillisecond);

// One derivation at the parameters the program writes: what each login costs, and what each
// guess costs someone who has the files. Figures are derivations (guesses) per second.
void BM_DeriveKey(benchmark::State& state) {
  const Salt salt = randomSalt();
  for (auto _ : state) benchmark::DoNotOptimize(deriveKey("benchpw1", salt, kDefaultKdfParameters));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_DeriveKey)->Unit(benchmark::kMillisecond)->UseRealTime();

// One derivation on every core at once (the argument: the cores), as someone guessing with this
// machine would run them; they share the memory's bandwidth. Figures are guesses per second
// for the whole machine.
void BM_DeriveKeyEveryCore(benchmark::State& state) {
  const auto cores = static_cast<unsigned>(state.range(0));
  const Salt salt = randomSalt();
  for (auto _ : state) {
    std::vector<std::thread> guesses;
    for (unsigned i = 0; i < cores; ++i) {
      guesses.emplace_back([&salt] {
        benchmark::DoNotOptimize(deriveKey("benchpw1", salt, kDefaultKdfParameters));
      });
    }
    for (std::thread& guess : guesses) guess.join();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * cores));
}
BENCHMARK(BM_DeriveKeyEveryCore)
    ->ArgName("cores")
    ->Arg(std::max(1u, std::thread::hardware_concurrency()))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Keys for the sealing benchmarks; derived quickly, since the derivation does not affect them.
StrongKeys benchKeys() {
  return deriveStrongKeys("benchpw1", randomSalt(), kMinimumKdfParameters);
}

// Hands `file` over in pieces of 256 KiB, as a data file is read from disk.
FilePieces piecesOf(const std::string& file) {
  return [&file, at = std::size_t{0}](std::string& piece) mutable {
    if (at >= file.size()) return false;
    piece.assign(file, at, std::size_t{256} << 10);
    at += piece.size();
    return true;
  };
}

// Ignores the sealed file.
void dropPiece(std::string_view piece) {
  benchmark::DoNotOptimize(piece.data());
}

// Figures are bytes of account text per second. The sealing memory is made once, as a session
// makes it at its first save.
void BM_SealStrongData(benchmark::State& state) {
  const StrongKeys keys = benchKeys();
  const std::string text = largeText();
  StrongSealingMemory memory;
  for (auto _ : state) {
    StrongDataWriter writer({"bench01", User}, keys, memory, dropPiece);
    for (std::size_t at = 0; at < text.size(); at += kAccountTextPiece) {
      writer.write(std::string_view(text).substr(at, kAccountTextPiece));
    }
    writer.finish();
  }
  setBytes(state, text.size());
}
BENCHMARK(BM_SealStrongData)->Unit(benchmark::kMillisecond);

void BM_OpenStrongData(benchmark::State& state) {
  const StrongKeys keys = benchKeys();
  const std::string text = largeText();
  const std::string file = sealStrongData({"bench01", User}, keys, text);
  std::string piece;
  for (auto _ : state) {
    StrongDataReader reader(keys.sealingKey, "bench01", piecesOf(file));
    while (reader.next(piece)) benchmark::DoNotOptimize(piece.data());
  }
  setBytes(state, text.size());
}
BENCHMARK(BM_OpenStrongData)->Unit(benchmark::kMillisecond);

// A save without the disk: the account written as text and sealed piece by piece.
void BM_SealAccount(benchmark::State& state) {
  const StrongKeys keys = benchKeys();
  const UserAccount account =
      bench::makeBenchAccount("bench01", "benchpw1", Simple, User, kLargeStore);
  StrongSealingMemory memory;
  std::size_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    StrongDataWriter writer({"bench01", User}, keys, memory, dropPiece);
    writeAccountText(account, [&](std::string_view piece) {
      writer.write(piece);
      bytes += piece.size();
    });
    writer.finish();
  }
  setBytes(state, bytes);
}
BENCHMARK(BM_SealAccount)->Unit(benchmark::kMillisecond);

// A load without the disk: the data file opened and read into an account piece by piece.
void BM_OpenAccount(benchmark::State& state) {
  const StrongKeys keys = benchKeys();
  const std::string text = largeText();
  const std::string file = sealStrongData({"bench01", User}, keys, text);
  UserAccount scratch;
  for (auto _ : state) {
    StrongDataReader reader(keys.sealingKey, "bench01", piecesOf(file));
    readAccountText([&](std::string& piece) { return reader.next(piece); }, text.size(), scratch);
    reader.finish();
    benchmark::DoNotOptimize(scratch);
  }
  setBytes(state, text.size());
}
BENCHMARK(BM_OpenAccount)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
