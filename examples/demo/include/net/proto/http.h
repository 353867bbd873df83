int demo_http_get(const char* url);
