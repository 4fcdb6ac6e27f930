// Placeholder until this stage is built.
#include "scan/random_order.h"

int MakeRandomOrder(RunState&) { return 1; }
int MakeRandomOrderSeeded(RunState&, uint32_t) { return 1; }
