#include "skin/cairo/Toolkit.h"

#include <gtk/gtk.h>

namespace skin {

bool InitToolkit(const char* programName) {
  char* only[] = {const_cast<char*>(programName), nullptr};
  int argc = 1;
  char** argv = only;
  return gtk_init_check(&argc, &argv);
}

}  // namespace skin
