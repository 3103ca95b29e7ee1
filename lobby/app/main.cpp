#include "lobby/app/QuorvaneApp.h"

int main() { lobby::RunQuorvane(); }
