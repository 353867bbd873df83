#include <stdio.h>

int file_io_open(const char* name) { return name != 0; }
