#include "exec/query_operations.h"

#include <chrono>
#include <stdexcept>

#include "exec/one_time_code.h"
#include "exec/operation_steps.h"
#include "model/messages.h"
#include "model/text_search.h"

namespace vellumkeep {

namespace {

void pushGroupNames(ProgramState& state) {
  for (const Group& group : state.operatorAccount().groups) pushRow(state, group.name);
}

void pushGroupBlock(ProgramState& state, const std::string& name) {
  pushRow(state, name);
  const Group& group = requireGroup(state.operatorAccount(), name);
  pushResultMarker(state, group.entryCount);
  for (const PasswordEntry& entry : group.entries) pushRow(state, std::string(entry.account()));
}

void pushSearchBlock(ProgramState& state, const std::string& account) {
  pushRow(state, account);
  std::vector<std::string> hits;
  for (const Group& group : state.operatorAccount().groups) {
    if (findEntry(group, account)) hits.push_back(group.name);
  }
  pushResultMarker(state, static_cast<long>(hits.size()));
  for (std::string& hit : hits) pushRow(state, std::move(hit));
}

// Pushes the group and the account of each entry of `group` that `search` finds.
size_t pushFoundEntries(ProgramState& state, const Group& group,
                        const CaseInsensitiveSearch& search) {
  const bool wholeGroup = search.foundIn(group.name);
  size_t found = 0;
  for (const PasswordEntry& entry : group.entries) {
    if (!wholeGroup && !search.foundIn(entry.account()) && !search.foundIn(entry.info())) continue;
    pushRow(state, group.name);
    pushRow(state, std::string(entry.account()));
    ++found;
  }
  return found;
}

// The content of the entry's first info word `type`; throws "该数据没有otp信息!" without one.
std::string infoContent(const PasswordEntry& entry, std::string_view type) {
  for (InfoField& field : splitInfo(entry.info())) {
    if (field.type == type) return std::move(field.content);
  }
  throw std::runtime_error(msg::kNoOneTimeSecret);
}

}  // namespace

void queryModes(ProgramState& state, LayoutCode layout) {
  if (state.argumentStack.empty()) throw std::runtime_error(msg::kInvalidArgument);
  Arguments args = takeArguments(state);
  if (args.count != 1) throw std::runtime_error(msg::kInvalidArgument);
  pushResultMarker(state, layout);
  for (const ModeRow& mode : kModes) pushRow(state, mode.name);
}

void queryGroups(ProgramState& state, LayoutCode layout) {
  Arguments args = takeArguments(state);
  if (args.count <= 1) {
    pushResultMarker(state, layout);
    pushGroupNames(state);
    return;
  }
  pushResultMarker(state, kNamedGroupsLayout);
  for (const std::string& name : args.values) pushGroupBlock(state, name);
}

void searchEntries(ProgramState& state, LayoutCode layout) {
  Arguments args = takeArguments(state);
  if (args.count <= 1) throw std::runtime_error(msg::kBadQueryArguments);
  pushResultMarker(state, layout);
  for (const std::string& account : args.values) pushSearchBlock(state, account);
}

void queryEntry(ProgramState& state, LayoutCode layout) {
  Arguments args = takeArguments(state);
  if (args.count != 3) throw std::runtime_error(msg::kBadQueryArguments);
  pushResultMarker(state, layout);
  const std::string& account = args.values[1];
  const PasswordEntry* entry =
      findEntry(requireGroup(state.operatorAccount(), args.values[0]), account);
  if (!entry) throw std::runtime_error(msg::kEntryMissing);
  pushRow(state, account);
  pushRow(state, std::string(entry->password()));
  pushRow(state, std::string(entry->info()));
}

void copyPassword(ProgramState& state, LayoutCode layout) {
  Arguments args = takeArguments(state);
  pushResultMarker(state, layout);
  if (args.count != 3) throw std::runtime_error(msg::kBadArguments);
  if (!state.clipboard) throw std::runtime_error(msg::kClipboardNeedsTerminal);
  const PasswordEntry* entry =
      findEntry(requireGroup(state.operatorAccount(), args.values[0]), args.values[1]);
  if (!entry) throw std::runtime_error(msg::kEntryMissing);
  state.clipboard->copy(entry->password());
  const auto seconds = std::chrono::ceil<std::chrono::seconds>(state.clipboard->keepFor());
  pushResultMarker(state, static_cast<long>(seconds.count()));
}

void queryUsers(ProgramState& state, LayoutCode layout) {
  takeArguments(state);
  pushResultMarker(state, layout);
  for (const UserAccount& user : state.registry.users) pushRow(state, user.name);
}

void findEntries(ProgramState& state, LayoutCode layout) {
  Arguments args = takeArguments(state);
  pushResultMarker(state, layout);
  if (args.count != 2) throw std::runtime_error(msg::kBadArguments);
  const CaseInsensitiveSearch search(args.values[0]);
  size_t found = 0;
  for (const Group& group : state.operatorAccount().groups) {
    found += pushFoundEntries(state, group, search);
  }
  if (found == 0) throw std::runtime_error(msg::kEntryMissing);
}

void showOneTimeCode(ProgramState& state, LayoutCode layout) {
  Arguments args = takeArguments(state);
  pushResultMarker(state, layout);
  if (args.count != 3) throw std::runtime_error(msg::kBadArguments);
  const PasswordEntry* entry =
      findEntry(requireGroup(state.operatorAccount(), args.values[0]), args.values[1]);
  if (!entry) throw std::runtime_error(msg::kEntryMissing);
  SecretString secret = infoContent(*entry, kOneTimeSecretType);
  const OneTimeCode code = oneTimeCode(secret, state.clock());
  pushRow(state, code.digits);
  pushResultMarker(state, code.secondsLeft);
}

}  // namespace vellumkeep
