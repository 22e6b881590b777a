// Writes the seed corpus of every fuzz target from the program's own writers:
//   vellumkeep_fuzz_corpus FOLDER   (fills FOLDER/<target>/, e.g. fuzz/corpus)
// The seeds are committed; run this again only when a file format changes.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "model/user_account.h"
#include "storage/account_text.h"
#include "storage/code_table.h"
#include "storage/config_file.h"
#include "storage/password_file.h"
#include "storage/strong_data_file.h"
#include "storage/strong_password_file.h"

namespace {

using namespace vellumkeep;

class SeedWriter {
 public:
  explicit SeedWriter(std::filesystem::path folder) : folder_(std::move(folder)) {}

  void write(const std::string& target, const std::string& name, const std::string& contents) {
    const std::filesystem::path dir = folder_ / target;
    std::filesystem::create_directories(dir);
    std::ofstream file(dir / name, std::ios::binary | std::ios::trunc);
    file << contents;
    if (!file) throw std::runtime_error("cannot write " + (dir / name).string());
  }

 private:
  std::filesystem::path folder_;
};

Group makeGroup(int32_t id, std::string name, std::vector<PasswordEntry> entries) {
  Group group;
  group.id = id;
  group.name = std::move(name);
  group.entries = std::move(entries);
  group.entryCount = static_cast<int32_t>(group.entries.size());
  return group;
}

std::vector<UserAccount> sampleAccounts() {
  UserAccount alice = makeAccount("alice01", "alicepw1", Simple, User);
  alice.groups.push_back(makeGroup(1, "mail",
                                   {{"alice@example.org", "mailpw1", "url\nmail.example.org"},
                                    {"alice.work@example.org", "workpw1", ""}}));
  alice.groups.push_back(
      makeGroup(3, "bank", {{"12345678", "pin0001", "branch\nnorth\ncard\nvisa"}}));
  alice.groupCount = 2;
  alice.lastGroupId = 3;

  UserAccount bob = makeAccount("bob0001", "bobpw001", Unencrypted, User);
  bob.groups.push_back(makeGroup(1, "empty", {}));
  bob.groupCount = 1;
  bob.lastGroupId = 1;

  return {makeAccount("root", "rootpw1", Simple, SystemAdministrator),
          makeAccount("admin01", "adminpw1", Simple, Administrator), alice, bob};
}

void writeConfigSeeds(SeedWriter& seeds) {
  seeds.write("config", "installed", formatConfig("data/", {"root"}));
  seeds.write("config", "users",
              formatConfig("/var/lib/vellumkeep/", {"root", "admin01", "alice01", "bob.smith"}));
  seeds.write("config", "path_with_blanks",
              formatConfig("C:\\Program Files\\vk data\\", {"root", "x~y@z"}));
  // Sections in the other order, a stray key and an unclosed header.
  seeds.write(
      "config", "reordered",
      formatConfig("", {"alice01"}) + "[PATH]\nother = 1 data_path = \"d/\"\n[USER\nMAP]\n");
}

void writeAccountSeeds(SeedWriter& seeds, const std::vector<UserAccount>& accounts) {
  for (const UserAccount& account : accounts) {
    seeds.write("account_text", account.name, writeAccountText(account));
  }
}

// Each seed is a user's name, a line feed, then that user's file coded with its keyed table.
void writeCodedSeeds(SeedWriter& seeds, const std::vector<UserAccount>& accounts) {
  std::mt19937 random(20240501);
  for (const UserAccount& account : accounts) {
    CodeTable table;
    table.keyCodeTable(account.name);
    const std::string header = writePasswordHeader(table, account.mode, account.password);
    seeds.write("password_file", account.name, account.name + "\n" + addFiller(header, random));
    seeds.write("code_table", account.name,
                account.name + "\n" + table.encode(writeAccountText(account)));
  }
  CodeTable table;
  table.keyCodeTable("longpass");
  const std::string longest(79, '~');
  seeds.write("password_file", "longest_password",
              "longpass\n" + addFiller(writePasswordHeader(table, Simple, longest), random));
  seeds.write("password_file", "empty_password",
              "nopass\n" + addFiller(writePasswordHeader(table, Unencrypted, ""), random));
}

// Files of mode strong sealed with the fuzz target's fixed keys: data files of every sample
// account in small chunks and in the program's, and the password file.
void writeStrongSeeds(SeedWriter& seeds, const std::vector<UserAccount>& accounts) {
  const StrongKeys keys = fuzz::strongFuzzKeys();
  for (const UserAccount& account : accounts) {
    const std::string text = writeAccountText(account);
    const StrongIdentity identity{account.name, account.role};
    seeds.write("strong_file", account.name + "_small_chunks",
                sealStrongData(identity, keys, text, kMinStrongChunkBytes));
    seeds.write("strong_file", account.name, sealStrongData(identity, keys, text));
  }
  seeds.write("strong_file", "password_file", writeStrongPasswordFile(passwordFileOf(keys)));
}

// Each seed is the Operator's selector ('0' root, '1' administrator, '2' user), then what
// the operator types.
void writeShellSeeds(SeedWriter& seeds) {
  using namespace std::string_literals;
  seeds.write("shell", "root_accounts",
              "0user\nmode\nadduser carol01 carolpw1 simple\naddadmin dave001 davepw01\n"
              "adduser\nerin001\nerinpw01\nsimple\naddadmin\nfrank01\nfrankpw1\n"
              "deluser alice01\nx\ny\ndeladmin admin01\nN\nsetpassword rootpw2\nuser\n");
  seeds.write("shell", "admin_accounts",
              "1user\nadduser carol01 carolpw1 simple\ndeluser carol01\nY\ndeluser bob0001\nn\n"
              "addadmin x y\nsetpassword adminpw2\nsetpassword\n");
  seeds.write("shell", "user_store",
              "2dir\ndir mail bank\nseach alice@example.org 12345678\npassword mail "
              "alice@example.org\nadddir web\naddpassword web me@example.org webpw1 url "
              "example.org\nadddir\nnotes\naddpassword\nweb\nme2@example.org\npw2\ny\nurl\n"
              "x.org\nmaybe\nn\ndelpassword web me@example.org\nY\ndeldir web\ny\n");
  seeds.write("shell", "user_modes",
              "2setmode unencrypted\nadddir plain\nsetmode simple\nsetmode other\nmode\n"
              "Dir\n\t dir\tmail\ndir a\\b\nseach a\\b\naddpassword a b\n");
  seeds.write("shell", "strong_modes",
              "2setmode strong\nalicepw2\nalicepw2\nadddir vault\naddpassword vault k1 keypw1 pin "
              "4711\ndelpassword vault k1\ny\nsetmode simple\nsetmode strong\nx\ny\ndir\n");
  seeds.write("shell", "password_changes",
              "2changepassword\nalicepw1\nalicepw2\nalicepw2\nchangepassword strong\nalicepw2\n"
              "alicepw3\nalicepw3\nchangepassword\nwrongpw1\na\na\n");
  seeds.write("shell", "user_everyday",
              "2editpassword mail alice@example.org newpw12\n"
              "editpassword mail alice@example.org\n\ny\ny\notp\nGEZDGNBV\nn\n"
              "otp mail alice@example.org\notp bank 12345678\n"
              "movepassword mail alice@example.org bank\nrenamedir bank money\nfind ALICE\n"
              "find pin\neditpassword money alice@example.org\nx:y\n");
  seeds.write("shell", "strong_accounts",
              "0adduser zed0001 zedpw001 strong\nuser\ndeluser zed0001\nY\n"
              "addadmin yves001 yvespw01 strong\nchangepassword strong\nrootpw1\nrootpw2\nrootpw2\n"
              "adduser\nyan0001\nyanpw001\nstrong\n");
  seeds.write("shell", "bad_bytes", "2adddir \xd6\xd0\nadddir a\rb\ndeldir mail\n\0\nY\nadd"s);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: vellumkeep_fuzz_corpus FOLDER\n";
    return 2;
  }
  try {
    SeedWriter seeds(argv[1]);
    const std::vector<UserAccount> accounts = sampleAccounts();
    writeConfigSeeds(seeds);
    writeAccountSeeds(seeds, accounts);
    writeCodedSeeds(seeds, accounts);
    writeStrongSeeds(seeds, accounts);
    writeShellSeeds(seeds);
  } catch (const std::exception& error) {
    std::cerr << error.what() << "\n";
    return 1;
  }
  return 0;
}
