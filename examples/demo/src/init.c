#include "app.h"

void app_init(void) {}
void app_term(void) {}
