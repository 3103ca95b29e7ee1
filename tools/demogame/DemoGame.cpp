// A stand-in game for demonstrations and whole-system tests: a small window that shows the
// arguments the game was started with and its working directory. It quits on its button, or
// after --seconds N. No start value reaches the toolkit as an option. When $ZEMBA_DEMOGAME_REPORT names a file, it also writes there what it
// shows (pid, working directory, one argument per line), so a test can see that it ran.
#include <gtk/gtk.h>
#include <unistd.h>

#include "skin/cairo/Toolkit.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Start {
  std::vector<std::string> arguments;
  std::string workDir;
  int seconds = 0;
};

Start ReadStart(int argc, char** argv) {
  Start start;
  for (int i = 1; i < argc; ++i) {
    start.arguments.emplace_back(argv[i]);
    if (std::string(argv[i]) == "--seconds" && i + 1 < argc) start.seconds = std::atoi(argv[i + 1]);
  }
  gchar* cwd = g_get_current_dir();
  start.workDir = cwd;
  g_free(cwd);
  return start;
}

void WriteReport(const Start& start) {
  const char* path = std::getenv("ZEMBA_DEMOGAME_REPORT");
  if (!path || !*path) return;
  std::string report = "pid " + std::to_string(getpid()) + "\ncwd " + start.workDir + "\n";
  for (const std::string& a : start.arguments) report += "arg " + a + "\n";
  g_file_set_contents(path, report.c_str(), static_cast<gssize>(report.size()), nullptr);
}

GtkWidget* Line(const std::string& text) {
  GtkWidget* label = gtk_label_new(text.c_str());
  gtk_label_set_xalign(GTK_LABEL(label), 0);
  gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
  return label;
}

GtkWidget* MakeWindow(const Start& start) {
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), "DemoGame");
  gtk_window_set_default_size(GTK_WINDOW(window), 420, 220);
  gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);

  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
  gtk_container_set_border_width(GTK_CONTAINER(box), 12);
  gtk_container_add(GTK_CONTAINER(window), box);
  gtk_box_pack_start(GTK_BOX(box), Line("演示游戏 DemoGame 正在运行"), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), Line("工作目录: " + start.workDir), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box),
                     Line("参数 (" + std::to_string(start.arguments.size()) + "):"), FALSE, FALSE, 0);
  for (const std::string& a : start.arguments) gtk_box_pack_start(GTK_BOX(box), Line("  " + a), FALSE, FALSE, 0);

  GtkWidget* quit = gtk_button_new_with_label("退出");
  g_signal_connect_swapped(quit, "clicked", G_CALLBACK(gtk_widget_destroy), window);
  gtk_box_pack_end(GTK_BOX(box), quit, FALSE, FALSE, 0);
  return window;
}

}  // namespace

int main(int argc, char** argv) {
  const Start start = ReadStart(argc, argv);
  WriteReport(start);
  if (!skin::InitToolkit("DemoGame")) {
    std::fprintf(stderr, "DemoGame: no display\n");
    return 1;
  }
  GtkWidget* window = MakeWindow(start);
  if (start.seconds > 0) {
    g_timeout_add_seconds(static_cast<guint>(start.seconds), [](gpointer w) -> gboolean {
      gtk_widget_destroy(GTK_WIDGET(w));
      return G_SOURCE_REMOVE;
    }, window);
  }
  gtk_widget_show_all(window);
  gtk_main();
  return 0;
}
