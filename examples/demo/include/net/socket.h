int demo_socket_open(void);
