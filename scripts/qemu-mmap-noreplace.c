/*
 * Preloaded into 32-bit Wine when it runs under qemu-i386 (scripts/wine-env.sh).
 *
 * Wine reserves its address ranges and maps the shared user data at 0x7ffe0000
 * with mmap(MAP_FIXED_NOREPLACE): "exactly there, or fail". qemu-i386 7.2 does
 * not know that flag and takes the address as a hint, then places the mapping
 * by searching downward from its end, so a free range comes back elsewhere,
 * Wine treats that as taken, and the process stops with "failed to map the
 * shared user data". Here mmap keeps the flag's meaning: the range is looked up
 * in /proc/self/maps (which qemu answers with the guest's own mappings) and
 * mapped with MAP_FIXED only when nothing is there; otherwise EEXIST.
 *
 * Built with gcc -m32 -shared -nostdlib (no 32-bit C headers or libraries are
 * installed): the system calls go through int 0x80, and errno and unsetenv are
 * resolved from the process's own C library when the object is loaded.
 */

typedef unsigned int size_t;

#define MAP_FIXED 0x10
#define MAP_FIXED_NOREPLACE 0x100000
#define MAP_FAILED ((void*)-1)
#define EEXIST 17
#define EINVAL 22
#define ENOMEM 12
#define SYS_read 3
#define SYS_open 5
#define SYS_close 6
#define SYS_mmap2 192
#define PAGE_SIZE 4096u

extern int* __errno_location(void);
extern int unsetenv(const char* name);

long qev_syscall6(long number, long a, long b, long c, long d, long e, long f);
__asm__(".text\n"
        ".globl qev_syscall6\n"
        ".hidden qev_syscall6\n"
        "qev_syscall6:\n"
        "    pushl %ebp\n"
        "    pushl %edi\n"
        "    pushl %esi\n"
        "    pushl %ebx\n"
        "    movl 20(%esp), %eax\n"
        "    movl 24(%esp), %ebx\n"
        "    movl 28(%esp), %ecx\n"
        "    movl 32(%esp), %edx\n"
        "    movl 36(%esp), %esi\n"
        "    movl 40(%esp), %edi\n"
        "    movl 44(%esp), %ebp\n"
        "    int $0x80\n"
        "    popl %ebx\n"
        "    popl %esi\n"
        "    popl %edi\n"
        "    popl %ebp\n"
        "    ret\n");

/* The guest's environment carries LD_PRELOAD to this object only; the host
 * side of each child qemu (a 64-bit program) must not see it. qemu puts it
 * back for every child from QEMU_SET_ENV. */
__attribute__((constructor)) static void forget_preload(void) { unsetenv("LD_PRELOAD"); }

static void* fail(int error) {
    *__errno_location() = error;
    return MAP_FAILED;
}

static unsigned long parse_hex(const char** text) {
    unsigned long value = 0;
    for (;; ++*text) {
        const char c = **text;
        if (c >= '0' && c <= '9') value = value * 16 + (unsigned long)(c - '0');
        else if (c >= 'a' && c <= 'f') value = value * 16 + (unsigned long)(c - 'a' + 10);
        else return value;
    }
}

/* Whether [start, end) overlaps no line "from-to ..." of /proc/self/maps. */
static int range_is_free(unsigned long start, unsigned long end) {
    static const char path[] = "/proc/self/maps";
    const long fd = qev_syscall6(SYS_open, (long)path, 0, 0, 0, 0, 0);
    if (fd < 0) return 0;
    char buffer[4096];
    size_t kept = 0;
    int free_range = 1;
    for (;;) {
        const long got = qev_syscall6(SYS_read, fd, (long)(buffer + kept), (long)(sizeof(buffer) - 1 - kept), 0, 0, 0);
        if (got <= 0) break;
        kept += (size_t)got;
        buffer[kept] = 0;
        const char* line = buffer;
        for (;;) {
            const char* newline = line;
            while (*newline && *newline != '\n') ++newline;
            if (!*newline) break;
            const char* text = line;
            const unsigned long from = parse_hex(&text);
            if (*text == '-') {
                ++text;
                const unsigned long to = parse_hex(&text);
                if (from < end && start < to) free_range = 0;
            }
            line = newline + 1;
        }
        /* The unfinished last line moves to the front for the next read. */
        size_t rest = 0;
        while (line[rest]) { buffer[rest] = line[rest]; ++rest; }
        kept = rest;
        if (kept >= sizeof(buffer) - 1) kept = 0;
    }
    qev_syscall6(SYS_close, fd, 0, 0, 0, 0, 0);
    return free_range;
}

static void* map_pages(void* address, size_t length, int protection, int flags, int fd, unsigned long long offset) {
    if (offset % PAGE_SIZE) return fail(EINVAL);
    if (flags & MAP_FIXED_NOREPLACE) {
        const unsigned long start = (unsigned long)address;
        const unsigned long end = start + ((length + PAGE_SIZE - 1) & ~(PAGE_SIZE - 1));
        if (start % PAGE_SIZE) return fail(EINVAL);
        if (end <= start) return fail(ENOMEM);
        if (!range_is_free(start, end)) return fail(EEXIST);
        flags = (flags & ~MAP_FIXED_NOREPLACE) | MAP_FIXED;
    }
    const long result = qev_syscall6(SYS_mmap2, (long)address, (long)length, protection, flags, fd,
                                     (long)(offset / PAGE_SIZE));
    if ((unsigned long)result >= (unsigned long)-4095) return fail((int)-result);
    return (void*)result;
}

__attribute__((visibility("default"))) void* mmap(void* address, size_t length, int protection, int flags, int fd,
                                                  long offset) {
    return map_pages(address, length, protection, flags, fd, (unsigned long long)(unsigned long)offset);
}

__attribute__((visibility("default"))) void* mmap64(void* address, size_t length, int protection, int flags, int fd,
                                                    long long offset) {
    return map_pages(address, length, protection, flags, fd, (unsigned long long)offset);
}
