#define DEMO_VERSION "1.0"
