int app_run(void);
void app_init(void);
void app_term(void);
