#include "app.h"

int main(void) { return app_run(); }
