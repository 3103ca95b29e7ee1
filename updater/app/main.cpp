#include "updater/app/VendrelApp.h"

int main(int argc, char** argv) { return vendrel::RunVendrel(argc, argv); }
