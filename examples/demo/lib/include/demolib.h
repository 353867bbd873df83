int demolib_version(void);
