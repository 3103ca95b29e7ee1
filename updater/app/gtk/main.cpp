#include "updater/app/VendrelApp.h"

namespace {

// The arguments joined by spaces: what the debug output shows as the command line.
text::WString RawCommandLine(int argc, char** argv) {
  text::WString line;
  for (int i = 0; i < argc; ++i) {
    if (i > 0) line += u' ';
    line += text::FromUtf8(argv[i]);
  }
  return line;
}

}  // namespace

int main(int argc, char** argv) { return vendrel::RunVendrel(RawCommandLine(argc, argv), argc, argv); }
