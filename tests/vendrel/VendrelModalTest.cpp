// The dialog's modal run under the display: it ends by itself on the worker's last message or
// when the worker cannot start. Skipped without a display.
#include <gtest/gtest.h>

#include <gdk/gdkkeysyms.h>

#include <thread>
#include <utility>

#include "contract/Contract.h"
#include "updater/LiveThread.h"
#include "updater/app/gtk/VendrelDlg.h"

namespace {

using vendrel::CVendrelDlg;

class VendrelModalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_setenv("NO_AT_BRIDGE", "1", TRUE);  // no accessibility bus: it keeps allocations to exit
    if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
  }
};

updater::ProgressMessage Message(uint32_t id, uint32_t wParam = 0) {
  updater::ProgressMessage m;
  m.id = id;
  m.wParam = wParam;
  return m;
}

TEST_F(VendrelModalTest, WorkerThatCannotStartClosesTheWindowWithCancel) {
  CVendrelDlg dlg;
  dlg.OnStart([] { return false; });
  EXPECT_EQ(dlg.DoModal(), CVendrelDlg::kCancel);
}

TEST_F(VendrelModalTest, DoneFromTheWorkerEndsTheRunWithOkAndTheFullBar) {
  CVendrelDlg dlg;
  std::thread worker;
  dlg.OnStart([&] {
    worker = std::thread([&dlg] {
      dlg.Post(Message(updater::WM_UPDATE_STEP, 40));
      dlg.Post(Message(updater::WM_UPDATE_DONE));
    });
    return true;
  });
  EXPECT_EQ(dlg.DoModal(), CVendrelDlg::kOk);
  worker.join();
  EXPECT_EQ(dlg.Step(), CVendrelDlg::kComplete);
}

TEST_F(VendrelModalTest, FailedFromTheWorkerEndsTheRunWithCancelAtItsLastStep) {
  CVendrelDlg dlg;
  std::thread worker;
  dlg.OnStart([&] {
    worker = std::thread([&dlg] {
      dlg.Post(Message(updater::WM_UPDATE_STEP, 9));
      dlg.Post(Message(updater::WM_UPDATE_FAILED));
    });
    return true;
  });
  EXPECT_EQ(dlg.DoModal(), CVendrelDlg::kCancel);
  worker.join();
  EXPECT_EQ(dlg.Step(), 9u);
}

// A refused release leaves its status line up: the loop goes on (a later message is still
// handled) until the hold ends, and the exit code says refused.
TEST_F(VendrelModalTest, RefusedReleaseKeepsItsStatusLineUpThenExitsWithRefused) {
  CVendrelDlg dlg;
  dlg.OnStart([&dlg] {
    updater::ProgressMessage line = Message(updater::WM_UPDATE_STEP, 2);
    line.text = std::make_unique<text::WString>(updater::kRefusedText);
    dlg.Post(std::move(line));
    dlg.Post(Message(updater::WM_UPDATE_FAILED, static_cast<uint32_t>(contract::UpdaterExit::kRefused)));
    // A message that arrives a moment later is handled only while the window stays.
    g_timeout_add(100, [](gpointer data) -> gboolean {
      updater::ProgressMessage later = Message(updater::WM_UPDATE_BYTES, 5);
      later.lParam = 10;
      static_cast<CVendrelDlg*>(data)->Post(std::move(later));
      return G_SOURCE_REMOVE;
    }, &dlg);
    return true;
  });
  EXPECT_EQ(dlg.DoModal(), CVendrelDlg::kCancel);
  EXPECT_EQ(dlg.StatusText(), updater::kRefusedText);
  EXPECT_EQ(dlg.ByteText(), u"5 Byte/ 10 Byte");
  EXPECT_EQ(dlg.ExitCode(), static_cast<int>(contract::UpdaterExit::kRefused));
}

TEST_F(VendrelModalTest, OutcomeOfTheFailureMessageIsTheExitCode) {
  for (contract::UpdaterExit outcome : {contract::UpdaterExit::kFailed, contract::UpdaterExit::kNothingToDo}) {
    CVendrelDlg dlg;
    dlg.OnStart([&dlg, outcome] {
      dlg.Post(Message(updater::WM_UPDATE_FAILED, outcome == contract::UpdaterExit::kFailed ? 0 : static_cast<uint32_t>(outcome)));
      return true;
    });
    dlg.DoModal();
    EXPECT_EQ(dlg.ExitCode(), static_cast<int>(outcome));
  }
}

// Enter and Escape still close the window mid-update, but only a finished update exits with 0.
TEST_F(VendrelModalTest, KeyClosingTheWindowMidUpdateGivesANonZeroExitCode) {
  for (guint key : {GDK_KEY_Return, GDK_KEY_Escape}) {
    CVendrelDlg dlg;
    dlg.OnStart([&dlg, key] {
      dlg.Post(Message(updater::WM_UPDATE_STEP, 20));
      g_idle_add_full(G_PRIORITY_LOW, [](gpointer data) -> gboolean {
        auto* pair = static_cast<std::pair<CVendrelDlg*, guint>*>(data);
        pair->first->OnKey(pair->second);
        delete pair;
        return G_SOURCE_REMOVE;
      }, new std::pair<CVendrelDlg*, guint>(&dlg, key), nullptr);
      return true;
    });
    dlg.DoModal();
    EXPECT_EQ(dlg.Step(), 20u);
    EXPECT_NE(dlg.ExitCode(), 0) << "key " << key;
  }
  CVendrelDlg finished;
  finished.OnStart([&finished] {
    finished.Post(Message(updater::WM_UPDATE_DONE));
    return true;
  });
  finished.DoModal();
  EXPECT_EQ(finished.ExitCode(), 0);
}

}  // namespace
