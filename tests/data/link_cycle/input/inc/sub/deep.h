#define DEEP 1
