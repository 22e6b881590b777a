// A line editor for in-process tests: it answers reads from a script of lines and keys, and
// records the prompts it was given and the lines offered to its history.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "platform/console.h"
#include "platform/line_editor.h"

namespace vellumkeep {

class ScriptedEditor : public LineEditor {
 public:
  // One answer: a typed line, or a key that ends the read.
  struct Step {
    enum class Kind { kLine, kInterrupt, kEnd, kIdle };
    Kind kind = Kind::kLine;
    std::string text;

    static Step line(std::string text) { return {Kind::kLine, std::move(text)}; }
    static Step interrupt() { return {Kind::kInterrupt, ""}; }  // Ctrl-C
    static Step end() { return {Kind::kEnd, ""}; }              // Ctrl-D on an empty line
    static Step idle() { return {Kind::kIdle, ""}; }
  };

  void script(std::vector<Step> steps) { steps_.assign(steps.begin(), steps.end()); }

  // The prompts of every read, in order; hidden reads as "secret:" and the prompt.
  std::vector<std::string> prompts;
  std::vector<std::string> remembered;
  std::vector<bool> idlePauses;

  std::string readLine(std::string_view prompt) override {
    prompts.emplace_back(prompt);
    return answer();
  }
  SecretString readSecretLine(std::string_view prompt) override {
    prompts.push_back("secret:" + std::string(prompt));
    return answer();
  }
  void remember(std::string_view line) override { remembered.emplace_back(line); }
  void pauseIdleLimit(bool paused) override { idlePauses.push_back(paused); }

 private:
  // The next step; InputExhausted once the script is done.
  std::string answer() {
    if (steps_.empty()) throw InputExhausted{};
    Step step = steps_.front();
    steps_.pop_front();
    switch (step.kind) {
      case Step::Kind::kInterrupt:
        throw InputCancelled{InputCancelled::Key::kInterrupt};
      case Step::Kind::kEnd:
        throw InputCancelled{InputCancelled::Key::kEnd};
      case Step::Kind::kIdle:
        throw InputIdle{};
      case Step::Kind::kLine:
        break;
    }
    return step.text;
  }

  std::deque<Step> steps_;
};

}  // namespace vellumkeep
