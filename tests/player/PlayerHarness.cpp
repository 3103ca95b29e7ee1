#include "tests/player/PlayerHarness.h"

#include <dlfcn.h>
#include <glib/gstdio.h>

#include <algorithm>
#include <fstream>

namespace playertest {

lobby::CreatePlayerFunction LoadPlayerModule() {
  // Never unloaded: the web engine it pulls in keeps threads and exit handlers.
  static void* module = dlopen(ZEMBA_PLAYER_MODULE, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!module) return nullptr;
  return reinterpret_cast<lobby::CreatePlayerFunction>(
      dlsym(module, lobby::kPlayerCreateSymbol));
}

void Recorder::OnFSCommand(const text::WString& command, const text::WString& args) {
  commands.push_back(text::ToUtf8(command) + "|" + text::ToUtf8(args));
}

void Recorder::OnFlashCall(const text::WString& request) {
  calls.push_back(text::ToUtf8(request));
}

void PlayerTest::SetUp() {
  g_setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", TRUE);
  g_setenv("NO_AT_BRIDGE", "1", TRUE);
  if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
  lobby::CreatePlayerFunction create = LoadPlayerModule();
  ASSERT_NE(create, nullptr) << dlerror();
  view.reset(create(&events, lobby::kPlayerAbiVersion));
  ASSERT_NE(view, nullptr);
  // Off screen unless the test needs the display's own input: then no other test's clicks can
  // land on this view, nor can it cover another test's window.
  window = OnScreen() ? gtk_window_new(GTK_WINDOW_TOPLEVEL) : gtk_offscreen_window_new();
  gtk_window_set_default_size(GTK_WINDOW(window), 400, 300);
  gtk_container_add(GTK_CONTAINER(window), view->Widget());
  gtk_widget_show_all(window);
}

void PlayerTest::TearDown() {
  view.reset();
  if (window) gtk_widget_destroy(window);
  RunFor(50);
}

void PlayerTest::WriteFile(const std::string& relative, const std::string& content) {
  const std::string path = dir.Join(relative);
  gchar* folder = g_path_get_dirname(path.c_str());
  g_mkdir_with_parents(folder, 0700);
  g_free(folder);
  std::ofstream(path, std::ios::binary) << content;
}

void PlayerTest::LoadPage(const std::string& name, const std::string& html) {
  WriteFile("movie/" + name, "<meta charset=\"utf-8\">" + html);
  ASSERT_TRUE(view->LoadMovie(0, dir.Join("movie/" + name)));
}

bool PlayerTest::RunUntil(const std::function<bool()>& done, int timeoutMs) {
  const gint64 end = g_get_monotonic_time() + gint64{timeoutMs} * 1000;
  while (!done() && g_get_monotonic_time() < end) {
    if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(1000);
  }
  return done();
}

void PlayerTest::RunFor(int ms) {
  RunUntil([] { return false; }, ms);
}

bool PlayerTest::WaitForCommand(const std::string& entry, int timeoutMs) {
  return RunUntil([&] {
    return std::find(events.commands.begin(), events.commands.end(), entry) !=
           events.commands.end();
  }, timeoutMs);
}

void PlayerTest::Send(const std::string& request) {
  view->CallFunction(text::FromUtf8(request));
}

}  // namespace playertest
