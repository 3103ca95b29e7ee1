// The one game the lobby has started, watched until it ends.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/ChildProcess.h"
#include "text/Text.h"

namespace lobby {

class GameProcess {
 public:
  // `arguments` is the formatted argument text kept for the record; `argumentList` holds the
  // same options and values as separate arguments.
  GameProcess(text::WString directory, text::WString name, text::WString arguments,
              std::vector<std::string> argumentList);

  // Starts directory/name in the game's directory. False when already started, when the name
  // is not a plain game name, or when the program cannot be started.
  bool Launch();
  // True once the started process has ended, and at once when none was started.
  bool HasEnded();

  const text::WString& Directory() const { return directory_; }
  const text::WString& Name() const { return name_; }
  const text::WString& Arguments() const { return arguments_; }

 private:
  text::WString directory_;
  text::WString name_;
  text::WString arguments_;
  std::vector<std::string> argumentList_;
  std::optional<platform::ChildProcess> process_;
};

}  // namespace lobby
