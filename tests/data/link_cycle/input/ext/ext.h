#define EXT 1
