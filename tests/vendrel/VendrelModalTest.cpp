// The dialog's modal run under the display: it ends by itself on the worker's last message or
// when the worker cannot start. Skipped without a display.
#include <gtest/gtest.h>

#include <thread>

#include "updater/app/VendrelDlg.h"

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

}  // namespace
