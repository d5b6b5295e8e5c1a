#include "driver/run.h"

int main() { return logk::run(); }
