#include "lobby/games/GameCommands.h"

#include <optional>

#include "contract/Contract.h"
#include "lobby/config/ClientConfig.h"
#include "lobby/flash/ArgumentObject.h"
#include "lobby/flash/DevWarning.h"
#include "lobby/core/IFrameWindow.h"
#include "lobby/core/IMoviePlayer.h"
#include "lobby/flash/MovieMessages.h"
#include "lobby/games/GameName.h"
#include "lobby/games/StartValues.h"
#include "platform/DebugLog.h"
#include "platform/Paths.h"

namespace lobby {

using contract::GameState;
using text::WString;

namespace {

// Runs on the check worker: touches nothing but its own copy of the task.
GameState StatusOf(UpdateTask& task) {
  if (!task.ReadInstalledVersion()) return GameState::kNotInstalled;
  return task.CheckLatestVersion();
}

// Why a check gave no usable answer, as the movie reads it.
const char16_t* ReasonWord(CheckFailure failure) {
  switch (failure) {
    case CheckFailure::kUnreachable: return u"unreachable";
    case CheckFailure::kNoRelease: return u"noRelease";
    case CheckFailure::kNone: break;
  }
  return u"";
}

// A check past the bound of waiting checks is answered without one.
constexpr const char16_t* kQueueFullReason = u"queueFull";

// Dev mode: the address and port must be numbers in the lobby's encodings (docs/movie.md).
void WarnAboutStartValues(const WString& gameParamMarkup) {
  if (gameParamMarkup.rfind(u"<object", 0) != 0) {
    DevWarning(u"PlayGame: GameParam is not an object; the game gets empty start values");
    return;
  }
  WarnUnlessNumbers(u"PlayGame GameParam", ReadArgumentObject(gameParamMarkup), {u"GameIp", u"GamePort"});
}

}  // namespace

GameCommands::GameCommands(IFrameWindow& frame, IMoviePlayer& player, ClientConfig& config)
    : frame_(frame),
      player_(player),
      config_(config),
      stagingRoot_(platform::StagingRoot(contract::kCorp)),
      updaterLock_(contract::UpdaterLockName()),
      checks_(frame) {}

GameCommands::~GameCommands() = default;

void GameCommands::SaveServer(const WString& arguments) {
  const std::vector<ArgumentProperty> props = ReadArgumentObject(arguments);
  WarnUnlessNumbers(u"SaveServer", props, {u"SaveAccount", u"NetMode", u"LoginNode"});
  for (const ArgumentProperty& p : props) {
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

void GameCommands::SendGameResult(const char16_t* name, const WString& gameName, GameState result,
                                  const WString& gameParam, const GameResultDetails& details) {
  player_.CallFunction(GameResultMessage(name, gameName, static_cast<int>(result), gameParam, details));
}

// A page that asks far faster than checks finish gets no answers past the queue's bound:
// keeping every one of them in order would let it grow the lobby without end.
bool GameCommands::RunInTurn(CheckQueue::Work work) {
  if (checks_.Run(std::move(work))) return true;
  platform::DebugLine(u"Quorvane: a game request was dropped: too many answers are still to come");
  return false;
}

// An answer that needs no check still waits for the checks asked for before it.
void GameCommands::AnswerInTurn(const char16_t* name, const WString& gameName, GameState result,
                                const WString& gameParam, const GameResultDetails& details) {
  RunInTurn([this, name, gameName, result, gameParam, details] {
    return std::function<void()>([this, name, gameName, result, gameParam, details] {
      SendGameResult(name, gameName, result, gameParam, details);
    });
  });
}

void GameCommands::CheckGame(const WString& arguments) {
  auto props = ReadArgumentObject(arguments);
  WString gameName = PropertyValue(props, u"GameName");
  WString gameParam = PropertyMarkup(props, u"GameParam");
  if (!IsPlainGameName(gameName)) {
    DevWarning(u"CheckGame: GameName \"" + gameName + u"\" is not a plain name; answered as not installed");
    AnswerInTurn(u"CheckGameResult", gameName, GameState::kNotInstalled, gameParam, {});
    return;
  }
  if (checksPending_ >= kMaxPendingChecks) {
    AnswerInTurn(u"CheckGameResult", gameName, GameState::kNoAnswer, gameParam, {kQueueFullReason, {}});
    return;
  }
  ++checksPending_;
  const bool queued = RunInTurn([this, task = *MakeTask(gameName), gameName, gameParam]() mutable {
    const GameState status = StatusOf(task);
    const GameResultDetails details{ReasonWord(task.LastFailure), {}};
    return std::function<void()>([this, gameName, gameParam, status, details] {
      --checksPending_;
      SendGameResult(u"CheckGameResult", gameName, status, gameParam, details);
    });
  });
  if (!queued) --checksPending_;
}

void GameCommands::UpdateGame(const WString& arguments) {
  if (pendingUpdate_) {
    DevWarning(u"UpdateGame dropped: another update is being checked or run");
    return;
  }
  auto props = ReadArgumentObject(arguments);
  WString gameName = PropertyValue(props, u"GameName");
  WString gameParam = PropertyMarkup(props, u"GameParam");
  if (!IsPlainGameName(gameName)) {
    DevWarning(u"UpdateGame: GameName \"" + gameName + u"\" is not a plain name; nothing is run");
    AnswerInTurn(u"UpdateGameResult", gameName, GameState::kNoAnswer, gameParam,
                 {{}, UpdaterOutcomeWord(static_cast<int>(contract::UpdaterExit::kNotRun))});
    return;
  }
  // Held from now on, so a second request is dropped while this one is being checked.
  pendingUpdate_ = MakeTask(gameName);
  pendingUpdate_->Param = gameParam;
  const bool queued = RunInTurn([this, task = *pendingUpdate_]() mutable {
    const GameState status = StatusOf(task);
    bool start = status == GameState::kNewer ||
                 (status == GameState::kNotInstalled && task.CheckLatestVersion() == GameState::kNewer);
    return std::function<void()>([this, version = task.Version, start, failure = task.LastFailure] {
      FinishUpdateCheck(version, start, failure);
    });
  });
  if (!queued) pendingUpdate_.reset();
}

void GameCommands::FinishUpdateCheck(const WString& version, bool start, CheckFailure failure) {
  if (!pendingUpdate_) return;
  pendingUpdate_->Version = version;
  if (start && pendingUpdate_->LaunchUpdater(false)) {
    frame_.StartTimer(kTimerUpdateWait, kWaitTimerPeriodMs);
    frame_.ShowWindow(false);
    return;
  }
  // Nothing started (no newer version, no answer, or the updater could not be started): answer
  // now. Only a check that found the installed version current leaves nothing to do.
  std::unique_ptr<UpdateTask> task = std::move(pendingUpdate_);
  GameResultDetails details{ReasonWord(failure), {}};
  const bool current = !start && failure == CheckFailure::kNone;
  details.outcome = UpdaterOutcomeWord(static_cast<int>(current ? contract::UpdaterExit::kNothingToDo
                                                                : contract::UpdaterExit::kNotRun));
  SendGameResult(u"UpdateGameResult", task->Name, GameState::kNoAnswer, task->Param, details);
}

void GameCommands::PlayGame(const WString& arguments) {
  if (runningGame_) {
    DevWarning(u"PlayGame dropped: a game runs");
    return;
  }
  WString gameName;
  std::optional<StartValues> values;
  for (const ArgumentProperty& p : ReadArgumentObject(arguments)) {
    if (p.id == u"GameName") gameName = p.value;
    if (p.id != u"GameParam") continue;
    values = ReadStartValues(p.markup);
    WarnAboutStartValues(p.markup);
  }
  if (!IsPlainGameName(gameName)) DevWarning(u"PlayGame: GameName \"" + gameName + u"\" is not a plain name");
  if (!values) DevWarning(u"PlayGame without GameParam: the game gets empty start values");
  WString argumentText = values ? FormatArgumentText(*values) : WString();
  std::vector<std::string> argumentList = values ? ArgumentList(*values) : std::vector<std::string>();
  player_.CallFunction(LoginGameMessage());
  runningGame_ = std::make_unique<GameProcess>(config_.GetMainPath() + u"/" + gameName, gameName,
                                               std::move(argumentText), std::move(argumentList));
  runningGame_->Launch();
  frame_.StartTimer(kTimerGameWait, kWaitTimerPeriodMs);
  frame_.ShowWindow(false);
}

void GameCommands::OnTimer(int id) {
  if (id == kTimerUpdateWait) OnUpdateWaitTick();
  if (id == kTimerGameWait) OnGameWaitTick();
}

// Both ticks settle their state, stop the timer and show the window before the movie hears of
// it: the movie may answer at once with a new request from inside CallFunction.
void GameCommands::OnUpdateWaitTick() {
  if (!pendingUpdate_) {
    frame_.StopTimer(kTimerUpdateWait);
    return;
  }
  if (IsUpdaterRunning(*pendingUpdate_, updaterLock_)) return;
  frame_.StopTimer(kTimerUpdateWait);
  std::unique_ptr<UpdateTask> task = std::move(pendingUpdate_);
  frame_.ShowWindow(true);
  // Result stays 0 whatever the run did, as pages have always read it; Outcome tells.
  SendGameResult(u"UpdateGameResult", task->Name, GameState::kCurrent, task->Param,
                 {{}, UpdaterOutcomeWord(task->UpdaterExitCode())});
}

void GameCommands::OnGameWaitTick() {
  if (!runningGame_) {
    frame_.StopTimer(kTimerGameWait);
    return;
  }
  if (!runningGame_->HasEnded()) return;
  frame_.StopTimer(kTimerGameWait);
  runningGame_.reset();
  frame_.ShowWindow(true);
  player_.CallFunction(LogoutGameMessage());
}

}  // namespace lobby
