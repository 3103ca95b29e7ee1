#include "lobby/app/QuorvaneApp.h"

int main(int argc, char** argv) { lobby::RunQuorvane(argc, argv); }
