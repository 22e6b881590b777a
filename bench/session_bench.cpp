// session_bench: times the real program through pipes, as an operator at a console would use
// it, and measures in the same run what the disk needs for the same bytes.
//
//   session_bench --program PATH --folder INSTALLATION --store LABEL --user NAME
//                 --password PASSWORD --mode simple|unencrypted|strong|admin --credentials N
//                 [--runs N] [--changes N] [--queries N] [--change-ratio-target X]
//                 [--login-target-ms X] [--login-overhead-target-ms X] [--query-target-ms X]
//                 [--memory-ratio-target X]
//
// Each run first starts the program once to read its baseline memory at the name prompt. Then
// it starts the program in INSTALLATION, logs in (timed from the start to the first prompt) and
// reads the memory left after login. In mode strong it also times, in this driver, the key
// derivation that the store's password file asks for, as login runs it, just before and just
// after the login: the login without it is what --login-overhead-target-ms bounds. It makes
// --changes changes (addpassword, then delpassword, each followed by the disk limit for the
// data file's bytes; the row "change" holds both kinds), asks each query --queries times,
// reads the program's peak memory, ends the input and checks the exit. Prints one CSV row per
// figure on standard output; exits non-zero only when the program misbehaves (no prompt, an
// error message, a bad exit, a data file whose text differs after the changes were undone),
// never for a missed target.
//
// Memory targets bound the account text's size times --memory-ratio-target; in mode strong
// the peak may add the derivation's memory and the baseline, and the memory after login the
// baseline.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/bench_data.h"
#include "model/messages.h"
#include "platform/console.h"
#include "platform/posix_file_system.h"
#include "storage/file_io.h"
#include "storage/strong_data_file.h"
#include "storage/strong_keys.h"
#include "storage/strong_password_file.h"
#include "support/run_program.h"

namespace {

namespace bench = vellumkeep::bench;
using vellumkeep::StrongKeys;
using vellumkeep::StrongPasswordFile;
using Clock = std::chrono::steady_clock;
constexpr int kPromptTimeoutMs = 120000;
constexpr double kMebibyte = 1024.0 * 1024.0;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

[[noreturn]] void fail(const std::string& what) {
  throw std::runtime_error(what);
}

struct Options {
  std::string program, folder, store, user, password, mode;
  int credentials = 0;
  int runs = 5;
  int changes = 4;
  int queries = 10;
  double changeRatioTarget = 0, loginTargetMs = 0, loginOverheadTargetMs = 0, queryTargetMs = 0,
         memoryRatioTarget = 0;
};

Options parseOptions(int argc, char** argv) {
  Options o;
  std::map<std::string, std::string> values;
  if (argc % 2 == 0) fail("an option without a value");
  for (int i = 1; i + 1 < argc; i += 2) values[argv[i]] = argv[i + 1];
  // Each option read is taken out, so that what is left at the end was misspelled.
  auto text = [&](const char* key, std::string& out) {
    if (auto node = values.extract(key)) out = node.mapped();
  };
  auto number = [&](const char* key, auto& out) {
    std::string value;
    text(key, value);
    if (!value.empty()) out = static_cast<std::decay_t<decltype(out)>>(std::stod(value));
  };
  text("--program", o.program);
  text("--folder", o.folder);
  text("--store", o.store);
  text("--user", o.user);
  text("--password", o.password);
  text("--mode", o.mode);
  number("--credentials", o.credentials);
  number("--runs", o.runs);
  number("--changes", o.changes);
  number("--queries", o.queries);
  number("--change-ratio-target", o.changeRatioTarget);
  number("--login-target-ms", o.loginTargetMs);
  number("--login-overhead-target-ms", o.loginOverheadTargetMs);
  number("--query-target-ms", o.queryTargetMs);
  number("--memory-ratio-target", o.memoryRatioTarget);
  if (!values.empty()) fail("unknown option " + values.begin()->first);
  if (o.program.empty() || o.folder.empty() || o.user.empty() || o.mode.empty()) {
    fail("missing --program, --folder, --user or --mode");
  }
  return o;
}

// ---- files and the disk limit ----

std::string readWhole(const std::string& path) {
  std::string contents;
  vellumkeep::PosixFileSystem fs;
  if (!vellumkeep::readFile(fs, path, contents)) fail("cannot read " + path);
  return contents;
}

void writeWhole(int fd, const std::string& contents) {
  size_t done = 0;
  while (done < contents.size()) {
    ssize_t n = ::write(fd, contents.data() + done, contents.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) fail("limit write failed");
    done += static_cast<size_t>(n);
  }
}

// What the disk needs to replace a file of these bytes durably: a new file in the same folder,
// written and synced, renamed over the old one, and the folder synced.
double measureWriteLimit(const std::string& folder, const std::string& contents) {
  const std::string target = folder + "limit.usr";
  const std::string fresh = target + ".new";
  const Clock::time_point start = Clock::now();
  int fd = ::open(fresh.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0600);
  if (fd < 0) fail("cannot create " + fresh);
  writeWhole(fd, contents);
  if (::fsync(fd) != 0) fail("fsync failed");
  ::close(fd);
  if (::rename(fresh.c_str(), target.c_str()) != 0) fail("rename failed");
  int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ::fsync(dir);
  ::close(dir);
  return millisecondsSince(start);
}

std::vector<std::string> filesToLoad(const Options& o, const std::string& dataFolder) {
  std::vector<std::string> paths;
  if (o.mode != "admin") {
    paths = {dataFolder + o.user + ".usrpas", dataFolder + o.user + ".usr"};
    return paths;
  }
  DIR* dir = ::opendir(dataFolder.c_str());
  if (!dir) fail("cannot list " + dataFolder);
  while (dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    auto endsWith = [&](const std::string& s) {
      return name.size() > s.size() && name.compare(name.size() - s.size(), s.size(), s) == 0;
    };
    if (endsWith(".usr") || endsWith(".usrpas")) paths.push_back(dataFolder + name);
  }
  ::closedir(dir);
  return paths;
}

// What reading the same files into memory takes.
double measureReadLimit(const std::vector<std::string>& paths) {
  const Clock::time_point start = Clock::now();
  size_t total = 0;
  for (const std::string& path : paths) total += readWhole(path).size();
  if (total == 0) fail("nothing to read");
  return millisecondsSince(start);
}

// ---- the program under test ----

// The program under test, driven through its pipes; any misbehaviour ends the benchmark.
class Session {
 public:
  Session(const std::string& program, const std::string& folder) : program_(program, folder) {
    if (!program_.started()) fail("cannot start the program");
  }

  void send(const std::string& text) { program_.send(text); }

  // Waits until `marker` appears in output not waited for yet; fails on an error message, the
  // end of the output or a timeout.
  void waitFor(const std::string& marker) {
    size_t found = std::string::npos;
    const bool seen = program_.waitUntil(
        [&](const std::string& out, const std::string& err) {
          found = out.find(marker, seen_);
          return found != std::string::npos || !err.empty();
        },
        kPromptTimeoutMs);
    if (!program_.err().empty()) fail("the program reported an error: " + program_.err());
    if (!seen) fail("no answer from the program");
    seen_ = found + marker.size();
  }

  // A memory figure of the program's own address space, in bytes: `field` is "VmRSS" (resident
  // now) or "VmHWM" (the peak so far). wait4's ru_maxrss would be no good for the peak: Linux
  // carries the resident size from before the exec into it, and that is a copy of this
  // driver's memory, limit buffers included.
  double memory(const std::string& field) const {
    FILE* status = std::fopen(("/proc/" + std::to_string(program_.pid()) + "/status").c_str(), "r");
    if (!status) fail("cannot read the program's status");
    const std::string format = field + ": %ld kB";
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, status)) {
      if (std::sscanf(line, format.c_str(), &kib) == 1) break;
    }
    std::fclose(status);
    if (kib < 0) fail("no " + field + " in the program's status");
    return static_cast<double>(kib) * 1024;
  }

  // Ends the input and waits for the end; fails on a bad exit or an error message.
  void finish() {
    const vellumkeep::ProgramResult result = program_.finish(kPromptTimeoutMs);
    if (result.status != 0) {
      fail("the program ended badly (status " + std::to_string(result.status) + "): " + result.err);
    }
    if (!result.err.empty()) fail("the program reported an error: " + result.err);
  }

 private:
  vellumkeep::RunningProgram program_;
  size_t seen_ = 0;  // output up to here has been waited for
};

// What the program needs before any account is loaded: its resident memory while it waits
// at the name prompt, in bytes. The program is killed there.
double baselineMemory(const Options& o) {
  Session session(o.program, o.folder);
  session.waitFor(vellumkeep::GbkConverter().convert(vellumkeep::msg::kLoginName));
  return session.memory("VmRSS");
}

// ---- mode strong ----

// The derivation that the store's password file asks for. Fails unless it is the program's
// default: the figures are those of the program's logins only at the cost it writes.
StrongPasswordFile readStoredDerivation(const std::string& passwordFile) {
  const StrongPasswordFile stored = vellumkeep::readStrongPasswordFile(readWhole(passwordFile));
  if (!(stored.params == vellumkeep::kDefaultKdfParameters)) {
    fail("the store's key derivation is not the program's default");
  }
  return stored;
}

// Derives the keys of `password` as login does, into `keys`; returns the time it took, in ms.
double timeDerivation(const std::string& password, const StrongPasswordFile& stored,
                      std::optional<StrongKeys>& keys) {
  const Clock::time_point start = Clock::now();
  keys = vellumkeep::deriveStrongKeys(password, stored.salt, stored.params);
  const double elapsed = millisecondsSince(start);
  if (!vellumkeep::verifyPassword(*keys, stored)) fail("the password does not open the store");
  return elapsed;
}

// ---- figures ----

struct Summary {
  double median = 0, min = 0, max = 0;
  size_t count = 0;
};

Summary summarize(std::vector<double> samples) {
  Summary s;
  if (samples.empty()) return s;
  std::sort(samples.begin(), samples.end());
  size_t n = samples.size();
  s.count = n;
  s.min = samples.front();
  s.max = samples.back();
  s.median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
  return s;
}

// One CSV row: store, figure, unit, samples, median, min, max, limit, ratio, target, verdict.
// A target of 0 means none; `ratioTarget` says whether it bounds the ratio or the median.
void printRow(const Options& o, const std::string& figure, const char* unit, const Summary& s,
              double limit, double target, bool ratioTarget) {
  const double ratio = limit > 0 ? s.median / limit : 0;
  std::string targetText = "-", verdict = "-";
  if (target > 0) {
    char buffer[32];
    if (ratioTarget) {
      std::snprintf(buffer, sizeof buffer, "<=%gx", target);
    } else {
      std::snprintf(buffer, sizeof buffer, "<=%.4g %s", target, unit);
    }
    targetText = buffer;
    verdict = (ratioTarget ? ratio : s.median) <= target ? "met" : "MISSED";
  }
  std::printf("%s,%s,%s,%zu,%.3f,%.3f,%.3f,", o.store.c_str(), figure.c_str(), unit, s.count,
              s.median, s.min, s.max);
  if (limit > 0) {
    std::printf("%.3f,%.2f,", limit, ratio);
  } else {
    std::printf("-,-,");
  }
  std::printf("%s,%s\n", targetText.c_str(), verdict.c_str());
}

// ---- the runs ----

// The installation as the runs see it.
struct Store {
  std::string dataFolder, dataFile, prompt;
  std::vector<std::string> loaded;           // the files a login reads
  std::optional<StrongPasswordFile> strong;  // mode strong: the stored derivation
  std::optional<StrongKeys> keys;            // mode strong: the keys it gives
  double textBytes = 0;                      // the account text's size
  std::string textBefore;                    // the single user's text before the changes
};

// The text of the single user's data file: its bytes, or in mode strong the opened text (each
// save seals with a fresh nonce, so only the text can be compared).
std::string dataText(const Options& o, const Store& store) {
  std::string file = readWhole(store.dataFile);
  return store.keys ? vellumkeep::openStrongData(store.keys->sealingKey, o.user, file) : file;
}

// The size of the account texts a login reads: a plain data file, a quarter of a coded one,
// the opened text of a sealed one.
double accountTextBytes(const Options& o, const Store& store) {
  if (store.keys) return static_cast<double>(dataText(o, store).size());
  double bytes = 0;
  for (const std::string& path : store.loaded) {
    if (path.size() < 4 || path.compare(path.size() - 4, 4, ".usr") != 0) continue;
    struct stat status {};
    ::stat(path.c_str(), &status);
    bytes += static_cast<double>(status.st_size) / (o.mode == "unencrypted" ? 1 : 4);
  }
  return bytes;
}

Store openStore(const Options& o) {
  Store store;
  store.dataFolder = o.folder + "/data/";
  store.dataFile = store.dataFolder + o.user + ".usr";
  store.prompt = "System\\" + o.user + ">";
  store.loaded = filesToLoad(o, store.dataFolder);
  if (o.mode == "strong") {
    store.strong = readStoredDerivation(store.dataFolder + o.user + ".usrpas");
    timeDerivation(o.password, *store.strong, store.keys);
  }
  store.textBytes = accountTextBytes(o, store);
  if (o.mode != "admin") store.textBefore = dataText(o, store);
  return store;
}

struct Samples {
  std::vector<double> readLimit, derivation, login, loginOverhead, writeLimit, add, remove;
  std::map<std::string, std::vector<double>> queries;
  std::vector<double> baseline, afterLogin, peak;  // memory, MiB
};

// Changes made and undone: each addpassword is followed by a delpassword of the same entry.
void timeChanges(const Options& o, const Store& store, Session& session, Samples& samples) {
  const std::string newEntry = bench::benchGroupName(0) + " name999999@mail.com";
  const std::string addLine =
      "addpassword " + newEntry + " Xy7#kP2$mQ9! url www.site999999.com user u999999\n";
  const std::string deleteLine = "delpassword " + newEntry + "\ny\n";
  for (int c = 0; c < o.changes && o.credentials > 0; ++c) {
    for (const std::string* line : {&addLine, &deleteLine}) {
      const Clock::time_point start = Clock::now();
      session.send(*line);
      session.waitFor(store.prompt);
      (line == &addLine ? samples.add : samples.remove).push_back(millisecondsSince(start));
      samples.writeLimit.push_back(measureWriteLimit(store.dataFolder, readWhole(store.dataFile)));
    }
  }
}

// The queries, each about the store's last credential; find looks for a part of its url in
// capitals, which every credential's words are searched for.
void timeQueries(const Options& o, const Store& store, Session& session, Samples& samples) {
  const int last = o.credentials - 1;
  const std::string lastGroup = bench::benchGroupName(last / bench::kEntriesPerGroup);
  const std::string lastAccount = bench::benchEntryAccount(last);
  char site[32];
  std::snprintf(site, sizeof site, "SITE%06d", last);
  const std::vector<std::pair<std::string, std::string>> queries = {
      {"dir", "dir " + lastGroup + "\n"},
      {"seach", "seach " + lastAccount + "\n"},
      {"password", "password " + lastGroup + " " + lastAccount + "\n"},
      {"find", std::string("find ") + site + "\n"}};
  for (int q = 0; q < o.queries && o.credentials > 0; ++q) {
    for (const auto& [name, line] : queries) {
      const Clock::time_point start = Clock::now();
      session.send(line);
      session.waitFor(store.prompt);
      samples.queries[name].push_back(millisecondsSince(start));
    }
  }
}

// In mode strong, times one derivation as login runs it and keeps it with the samples.
double sampleDerivation(const Options& o, Store& store, Samples& samples) {
  if (!store.strong) return 0;
  samples.derivation.push_back(timeDerivation(o.password, *store.strong, store.keys));
  return samples.derivation.back();
}

void runOnce(const Options& o, Store& store, Samples& samples) {
  samples.baseline.push_back(baselineMemory(o) / kMebibyte);
  const double derivationBefore = sampleDerivation(o, store, samples);
  const Clock::time_point start = Clock::now();
  Session session(o.program, o.folder);
  session.send(o.user + "\n" + o.password + "\n");
  session.waitFor(store.prompt);
  const double login = millisecondsSince(start);
  samples.login.push_back(login);
  samples.afterLogin.push_back(session.memory("VmRSS") / kMebibyte);
  // The login's own derivation is taken as the mean of one just before and one just after it,
  // while the program waits, so that a drift of the machine's speed does not count as login.
  const double derivationAfter = sampleDerivation(o, store, samples);
  if (store.strong)
    samples.loginOverhead.push_back(login - (derivationBefore + derivationAfter) / 2);
  timeChanges(o, store, session, samples);
  timeQueries(o, store, session, samples);
  samples.peak.push_back(session.memory("VmHWM") / kMebibyte);
  session.finish();
  samples.readLimit.push_back(measureReadLimit(store.loaded));
}

void printMemoryRows(const Options& o, const Store& store, const Samples& samples) {
  const double text = store.textBytes / kMebibyte;
  const Summary baseline = summarize(samples.baseline);
  printRow(o, "memory before login", "MiB", baseline, 0, 0, false);
  if (!store.strong) {
    printRow(o, "memory after login", "MiB", summarize(samples.afterLogin), text, 0, false);
    printRow(o, "peak memory", "MiB", summarize(samples.peak), text, o.memoryRatioTarget, true);
    return;
  }
  // The derivation's memory is freed once login has it; the baseline is the program's own.
  const double bound = o.memoryRatioTarget > 0 ? o.memoryRatioTarget * text + baseline.median : 0;
  const double derivation = static_cast<double>(store.strong->params.memlimit) / kMebibyte;
  printRow(o, "memory after login", "MiB", summarize(samples.afterLogin), text, bound, false);
  printRow(o, "peak memory", "MiB", summarize(samples.peak), text,
           bound > 0 ? bound + derivation : 0, false);
}

void printRows(const Options& o, const Store& store, const Samples& samples) {
  const Summary reading = summarize(samples.readLimit);
  const Summary writing = summarize(samples.writeLimit);
  printRow(o, "read limit", "ms", reading, 0, 0, false);
  if (store.strong) printRow(o, "key derivation", "ms", summarize(samples.derivation), 0, 0, false);
  printRow(o, "login", "ms", summarize(samples.login), reading.median, o.loginTargetMs, false);
  if (store.strong) {
    printRow(o, "login - derivation", "ms", summarize(samples.loginOverhead), 0,
             o.loginOverheadTargetMs, false);
  }
  if (!samples.writeLimit.empty()) {
    printRow(o, "write limit", "ms", writing, 0, 0, false);
    printRow(o, "addpassword", "ms", summarize(samples.add), writing.median, o.changeRatioTarget,
             true);
    printRow(o, "delpassword", "ms", summarize(samples.remove), writing.median, o.changeRatioTarget,
             true);
    // Both together: what bench/run holds a strong change against a plain one with.
    std::vector<double> changes = samples.add;
    changes.insert(changes.end(), samples.remove.begin(), samples.remove.end());
    printRow(o, "change", "ms", summarize(changes), writing.median, 0, true);
  }
  for (const auto& [name, times] : samples.queries) {
    printRow(o, name, "ms", summarize(times), 0, o.queryTargetMs, false);
  }
  printMemoryRows(o, store, samples);
}

int run(const Options& o) {
  Store store = openStore(o);
  Samples samples;
  for (int r = 0; r < o.runs; ++r) runOnce(o, store, samples);
  ::unlink((store.dataFolder + "limit.usr").c_str());
  if (o.mode != "admin" && dataText(o, store) != store.textBefore) {
    fail("the data file differs after every change was undone");
  }
  printRows(o, store, samples);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(parseOptions(argc, argv));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "session_bench: %s\n", error.what());
    return 1;
  }
}
