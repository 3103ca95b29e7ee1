// The movie's game commands (save account data, check, update and start games) and the two
// wait timers that finish an update and a game run.
#pragma once

#include <memory>
#include <string>

#include "lobby/flash/MovieBridge.h"
#include "lobby/flash/MovieMessages.h"
#include "lobby/games/CheckQueue.h"
#include "lobby/games/GameProcess.h"
#include "lobby/update/UpdateTask.h"

namespace lobby {

class ClientConfig;
class IFrameWindow;
class IMoviePlayer;

class GameCommands : public IGameCommands {
 public:
  // Version checks waiting or running at once; a "CheckGame" past them is answered with
  // GameState::kNoAnswer, in its turn, without a check.
  static constexpr size_t kMaxPendingChecks = 16;

  GameCommands(IFrameWindow& frame, IMoviePlayer& player, ClientConfig& config);
  ~GameCommands() override;

  void SaveServer(const text::WString& arguments) override;
  // The version checks of these two run off the main loop; their answers come in request order.
  void CheckGame(const text::WString& arguments) override;
  void UpdateGame(const text::WString& arguments) override;
  void PlayGame(const text::WString& arguments) override;

  // One tick of kTimerUpdateWait or kTimerGameWait; other ids are not ours.
  void OnTimer(int id);

  // Where game downloads are staged (default: the per-user staging root).
  void SetStagingRoot(text::WString root) { stagingRoot_ = std::move(root); }
  // The lock name that tells an updater is running (default: the updater's own).
  void SetUpdaterLockName(std::string name) { updaterLock_ = std::move(name); }
  void SetFetchLimits(const FetchLimits& limits) { limits_ = limits; }

  const UpdateTask* PendingUpdate() const { return pendingUpdate_.get(); }
  const GameProcess* RunningGame() const { return runningGame_.get(); }
  // True while a check is running or its answer waits for the main loop.
  bool ChecksPending() const { return checks_.Unanswered() > 0; }

 private:
  std::unique_ptr<UpdateTask> MakeTask(const text::WString& gameName) const;
  void SendGameResult(const char16_t* name, const text::WString& gameName, contract::GameState result,
                      const text::WString& gameParam, const GameResultDetails& details);
  void AnswerInTurn(const char16_t* name, const text::WString& gameName, contract::GameState result,
                    const text::WString& gameParam, const GameResultDetails& details);
  // Queues work in request order; false (with a debug line) when the queue is full.
  bool RunInTurn(CheckQueue::Work work);
  void FinishUpdateCheck(const text::WString& version, bool start, CheckFailure failure);
  void OnUpdateWaitTick();
  void OnGameWaitTick();

  IFrameWindow& frame_;
  IMoviePlayer& player_;
  ClientConfig& config_;
  text::WString stagingRoot_;
  std::string updaterLock_;
  FetchLimits limits_;
  std::unique_ptr<UpdateTask> pendingUpdate_;
  std::unique_ptr<GameProcess> runningGame_;
  size_t checksPending_ = 0;  // main loop only
  CheckQueue checks_;  // last: its answers may still arrive while the members above live
};

}  // namespace lobby
