/* LD_PRELOAD helper for the Wine tests: a pseudo-terminal has no modem lines,
 * so TIOCMGET/TIOCMSET/TIOCMBIS/TIOCMBIC fail on it, and Wine's WaitCommEvent
 * then ends every wait with an error. For pty slaves only, and only when the
 * real call fails, this answers those four requests from a remembered line
 * state (DTR and RTS as last set; CTS, DSR, RING and DCD off). Every other
 * call goes to the real ioctl unchanged. Test-only; never shipped. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <pthread.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>

typedef int (*ioctl_fn)(int, unsigned long, ...);

/* Unix98 pty slaves have majors 136 to 143. */
static int is_pty_slave(int fd) {
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode))
        return 0;
    return major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
}

/* Line bits per pty, keyed by the slave's device number; a handful suffice. */
#define SLOTS 16
static struct {
    dev_t dev;
    int bits;
    int used;
} lines[SLOTS];
static pthread_mutex_t lines_lock = PTHREAD_MUTEX_INITIALIZER;

static int* line_bits(int fd) {
    struct stat st;
    if (fstat(fd, &st) != 0)
        return 0;
    for (int i = 0; i < SLOTS; ++i) {
        if (lines[i].used && lines[i].dev == st.st_rdev)
            return &lines[i].bits;
    }
    for (int i = 0; i < SLOTS; ++i) {
        if (!lines[i].used) {
            lines[i].used = 1;
            lines[i].dev = st.st_rdev;
            lines[i].bits = 0;
            return &lines[i].bits;
        }
    }
    return &lines[SLOTS - 1].bits;
}

static int emulate(int fd, unsigned long request, int* arg) {
    const int settable = TIOCM_DTR | TIOCM_RTS;
    pthread_mutex_lock(&lines_lock);
    int* bits = line_bits(fd);
    int rc = 0;
    if (!bits || !arg) {
        errno = EFAULT;
        rc = -1;
    } else if (request == TIOCMGET) {
        *arg = *bits;
    } else if (request == TIOCMSET) {
        *bits = *arg & settable;
    } else if (request == TIOCMBIS) {
        *bits |= *arg & settable;
    } else {
        *bits &= ~(*arg & settable);
    }
    pthread_mutex_unlock(&lines_lock);
    return rc;
}

int ioctl(int fd, unsigned long request, ...) {
    static ioctl_fn real;
    va_list ap;
    va_start(ap, request);
    void* arg = va_arg(ap, void*);
    va_end(ap);
    if (!real)
        real = (ioctl_fn)dlsym(RTLD_NEXT, "ioctl");
    const int rc = real(fd, request, arg);
    if (rc == 0)
        return rc;
    if (request != TIOCMGET && request != TIOCMSET && request != TIOCMBIS && request != TIOCMBIC)
        return rc;
    const int saved = errno;
    if (!is_pty_slave(fd)) {
        errno = saved;
        return rc;
    }
    return emulate(fd, request, (int*)arg);
}
