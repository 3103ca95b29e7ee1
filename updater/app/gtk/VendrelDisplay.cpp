#include <gtk/gtk.h>

#include "updater/app/VendrelApp.h"

namespace vendrel {

bool OpenDisplay(int& argc, char**& argv) { return gtk_init_check(&argc, &argv); }

}  // namespace vendrel
