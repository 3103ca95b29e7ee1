#include "lobby/games/GameProcess.h"

#include "lobby/games/GameName.h"
#include "platform/Paths.h"

namespace lobby {

GameProcess::GameProcess(text::WString directory, text::WString name, text::WString arguments,
                         std::vector<std::string> argumentList)
    : directory_(std::move(directory)),
      name_(std::move(name)),
      arguments_(std::move(arguments)),
      argumentList_(std::move(argumentList)) {}

bool GameProcess::Launch() {
  if (process_ || !IsPlainGameName(name_)) return false;
  platform::CreateDirectory(directory_);
  std::string exe = text::ToUtf8(name_) + platform::kExeSuffix;
  std::vector<std::string> argv{exe};
  argv.insert(argv.end(), argumentList_.begin(), argumentList_.end());
  std::string dir = text::ToUtf8(directory_);
  process_ = platform::ChildProcess::Start(dir + "/" + exe, argv, dir);
  return process_.has_value();
}

bool GameProcess::HasEnded() { return !process_ || process_->HasEnded(); }

}  // namespace lobby
