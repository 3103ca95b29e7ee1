#include "lobby/games/GameCommands.h"

#include <optional>

#include "lobby/config/ClientConfig.h"
#include "lobby/flash/ArgumentObject.h"
#include "lobby/flash/IMovieHost.h"
#include "lobby/flash/MovieMessages.h"
#include "lobby/games/GameName.h"
#include "lobby/games/StartValues.h"
#include "platform/InstanceLock.h"
#include "platform/Paths.h"
#include "platform/UpdaterNames.h"

namespace lobby {

using text::WString;

GameCommands::GameCommands(IMovieHost& host, ClientConfig& config)
    : host_(host),
      config_(config),
      stagingRoot_(platform::StagingRoot()),
      updaterLock_(platform::UpdaterLockName()) {}

GameCommands::~GameCommands() = default;

void GameCommands::SaveServer(const WString& arguments) {
  for (const ArgumentProperty& p : ReadArgumentObject(arguments)) {
    if (p.id == u"UserName") config_.UserName = p.value;
    else if (p.id == u"SaveAccount") config_.SaveAccount = text::ParseInt(p.value);
    else if (p.id == u"NetMode") config_.NetMode = text::ParseInt(p.value);
    else if (p.id == u"LoginNode") config_.LoginNode = text::ParseInt(p.value);
  }
  config_.SaveLoginData();
}

std::unique_ptr<UpdateTask> GameCommands::MakeTask(const WString& gameName) const {
  auto task = std::make_unique<UpdateTask>(gameName, config_.GetMainPath() + u"/" + gameName,
                                           config_, stagingRoot_);
  task->SetFetchLimits(limits_);
  return task;
}

int GameCommands::StatusOf(UpdateTask& task) const {
  if (!task.ReadInstalledVersion()) return kNotInstalled;
  return task.CheckLatestVersion();
}

void GameCommands::SendGameResult(const char16_t* name, const WString& gameName, int result,
                                  const WString& gameParam) {
  host_.CallFunction(GameResultMessage(name, gameName, result, gameParam));
}

void GameCommands::CheckGame(const WString& arguments) {
  auto props = ReadArgumentObject(arguments);
  WString gameName = PropertyValue(props, u"GameName");
  WString gameParam = PropertyMarkup(props, u"GameParam");
  int status = kNotInstalled;
  if (IsPlainGameName(gameName)) status = StatusOf(*MakeTask(gameName));
  SendGameResult(u"CheckGameResult", gameName, status, gameParam);
}

void GameCommands::UpdateGame(const WString& arguments) {
  if (pendingUpdate_) return;
  auto props = ReadArgumentObject(arguments);
  WString gameName = PropertyValue(props, u"GameName");
  WString gameParam = PropertyMarkup(props, u"GameParam");
  if (!IsPlainGameName(gameName)) {
    SendGameResult(u"UpdateGameResult", gameName, kNoAnswer, gameParam);
    return;
  }
  pendingUpdate_ = MakeTask(gameName);
  pendingUpdate_->Param = gameParam;
  int status = StatusOf(*pendingUpdate_);
  bool start = status == kNewer ||
               (status == kNotInstalled && pendingUpdate_->CheckLatestVersion() == UpdateTask::kNewer);
  if (start) {
    pendingUpdate_->LaunchUpdater(false);
    host_.StartTimer(kTimerUpdateWait, kWaitTimerPeriodMs);
    host_.ShowWindow(false);
    return;
  }
  pendingUpdate_.reset();
  SendGameResult(u"UpdateGameResult", gameName, kNoAnswer, gameParam);
}

void GameCommands::PlayGame(const WString& arguments) {
  if (runningGame_) return;
  WString gameName;
  std::optional<StartValues> values;
  for (const ArgumentProperty& p : ReadArgumentObject(arguments)) {
    if (p.id == u"GameName") gameName = p.value;
    else if (p.id == u"GameParam") values = ReadStartValues(p.markup);
  }
  WString argumentText = values ? FormatArgumentText(*values) : WString();
  std::vector<std::string> argumentList = values ? ArgumentList(*values) : std::vector<std::string>();
  host_.CallFunction(LoginGameMessage());
  runningGame_ = std::make_unique<GameProcess>(config_.GetMainPath() + u"/" + gameName, gameName,
                                               std::move(argumentText), std::move(argumentList));
  runningGame_->Launch();
  host_.StartTimer(kTimerGameWait, kWaitTimerPeriodMs);
  host_.ShowWindow(false);
}

void GameCommands::OnTimer(int id) {
  if (id == kTimerUpdateWait) OnUpdateWaitTick();
  if (id == kTimerGameWait) OnGameWaitTick();
}

void GameCommands::OnUpdateWaitTick() {
  if (!pendingUpdate_) {
    host_.StopTimer(kTimerUpdateWait);
    return;
  }
  if (IsUpdaterRunning(updaterLock_)) return;
  host_.StopTimer(kTimerUpdateWait);
  std::unique_ptr<UpdateTask> task = std::move(pendingUpdate_);
  SendGameResult(u"UpdateGameResult", task->Name, 0, task->Param);
  host_.ShowWindow(true);
}

void GameCommands::OnGameWaitTick() {
  if (!runningGame_) {
    host_.StopTimer(kTimerGameWait);
    return;
  }
  if (!runningGame_->HasEnded()) return;
  runningGame_.reset();
  host_.CallFunction(LogoutGameMessage());
  host_.ShowWindow(true);
  host_.StopTimer(kTimerGameWait);
}

}  // namespace lobby
