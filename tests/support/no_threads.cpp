// Preloaded into a program under test: every thread creation fails, as it
// does when a process limit is reached. The first refusal creates the file
// that TESSALY_NO_THREADS_MARK names, so a test can tell that the program
// did ask for a thread.
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

extern "C" int pthread_create(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*) {
    if (const char* mark = std::getenv("TESSALY_NO_THREADS_MARK")) {
        const int fd = ::open(mark, O_WRONLY | O_CREAT, 0644);
        if (fd >= 0) {
            ::close(fd);
        }
    }
    return EAGAIN;
}
