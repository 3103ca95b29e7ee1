#include "lobby/app/QuorvaneApp.h"

int main(int argc, char** argv) { return lobby::RunQuorvane(argc, argv); }
