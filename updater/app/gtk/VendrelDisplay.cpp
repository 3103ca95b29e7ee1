#include "skin/cairo/Toolkit.h"
#include "updater/app/VendrelApp.h"

namespace vendrel {

bool OpenDisplay() { return skin::InitToolkit("Vendrel"); }

}  // namespace vendrel
