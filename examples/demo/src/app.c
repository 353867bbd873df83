#include "app.h"
#include "config.h"

int app_run(void) { return 0; }
