// Micro-benchmarks of the storage formats: the coding of the `simple` mode in both directions,
// the keying of the code table, and the account text of a store of 100,000 credentials.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/bench_data.h"
#include "storage/account_text.h"
#include "storage/code_table.h"

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

}  // namespace

BENCHMARK_MAIN();
