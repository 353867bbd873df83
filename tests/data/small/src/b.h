int a(void);
