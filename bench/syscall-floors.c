/* What the kernel's own work costs a rename of many files in one folder, made
 * in the ways a renamer could make it: one system call each, through io_uring,
 * or on two threads; with or without first asking each file for its identity
 * and birth time (statx), as a journal does.
 *
 *   syscall-floors MODE PAIRS [BATCH]
 *
 * PAIRS: "SOURCE<TAB>DESTINATION" a line, absolute paths, all in one folder (the
 * pairs.txt of ../shared/perf's sets). Every call is relative to the folder held
 * open. MODE:
 *   rename           renameat2(RENAME_NOREPLACE) per pair
 *   statx            statx(STATX_INO | STATX_BTIME) per source
 *   statx-rename     every statx, then every rename
 *   uring-rename     the renames as IORING_OP_RENAMEAT, BATCH (default 64) per
 *                    io_uring_enter, each result checked
 *   uring-statx      the statx calls as IORING_OP_STATX, the same way
 *   uring-statx-rename  both: each batch's statx calls, then its renames
 *   thread2-rename   the renames split between two threads
 *   thread2-statx    the statx calls split between two threads
 * With MAXW=N in the environment, io_uring's kernel workers are limited to N.
 * Exit status 1 when any call failed.
 * Build: gcc -O2 -Wall -pthread -o syscall-floors bench/syscall-floors.c
 */
#define _GNU_SOURCE
#include <fcntl.h>
#include <linux/io_uring.h>
#include <pthread.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

static char **src, **dst;
static size_t n;
static int dirfd;
static struct statx *found;

static void load(const char *path) {
    FILE *f = fopen(path, "r");
    if (!f) { perror(path); exit(2); }
    char *line = NULL;
    size_t cap = 0, room = 1024;
    src = malloc(room * sizeof *src);
    dst = malloc(room * sizeof *dst);
    while (getline(&line, &cap, f) > 0) {
        line[strcspn(line, "\n")] = 0;
        char *tab = strchr(line, '\t');
        if (!tab) continue;
        *tab = 0;
        if (n == room) {
            room *= 2;
            src = realloc(src, room * sizeof *src);
            dst = realloc(dst, room * sizeof *dst);
        }
        char *slash = strrchr(line, '/');
        if (n == 0) {
            *slash = 0;
            dirfd = open(line, O_PATH | O_DIRECTORY);
            if (dirfd < 0) { perror(line); exit(2); }
        }
        src[n] = strdup(slash + 1);
        dst[n] = strdup(strrchr(tab + 1, '/') + 1);
        ++n;
    }
    fclose(f);
}

struct ring {
    int fd;
    unsigned *sq_tail, *sq_mask, *sq_array, *cq_head, *cq_tail, *cq_mask;
    struct io_uring_sqe *sqes;
    struct io_uring_cqe *cqes;
};

static void ring_init(struct ring *r, unsigned entries) {
    struct io_uring_params p;
    memset(&p, 0, sizeof p);
    r->fd = (int)syscall(__NR_io_uring_setup, entries, &p);
    if (r->fd < 0) { perror("io_uring_setup"); exit(2); }
    size_t sq_size = p.sq_off.array + p.sq_entries * sizeof(unsigned);
    size_t cq_size = p.cq_off.cqes + p.cq_entries * sizeof(struct io_uring_cqe);
    if (cq_size > sq_size) sq_size = cq_size;  /* one mapping for both (IORING_FEAT_SINGLE_MMAP) */
    char *q = mmap(0, sq_size, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, r->fd,
                   IORING_OFF_SQ_RING);
    r->sqes = mmap(0, p.sq_entries * sizeof(struct io_uring_sqe), PROT_READ | PROT_WRITE,
                   MAP_SHARED | MAP_POPULATE, r->fd, IORING_OFF_SQES);
    r->sq_tail = (unsigned *)(q + p.sq_off.tail);
    r->sq_mask = (unsigned *)(q + p.sq_off.ring_mask);
    r->sq_array = (unsigned *)(q + p.sq_off.array);
    r->cq_head = (unsigned *)(q + p.cq_off.head);
    r->cq_tail = (unsigned *)(q + p.cq_off.tail);
    r->cq_mask = (unsigned *)(q + p.cq_off.ring_mask);
    r->cqes = (struct io_uring_cqe *)(q + p.cq_off.cqes);
    const char *max = getenv("MAXW");
    if (max) {
        unsigned counts[2] = {(unsigned)atoi(max), (unsigned)atoi(max)};
        if (syscall(__NR_io_uring_register, r->fd, IORING_REGISTER_IOWQ_MAX_WORKERS, counts, 2) < 0)
            perror("IORING_REGISTER_IOWQ_MAX_WORKERS");
    }
}

static struct io_uring_sqe *next(struct ring *r, unsigned *tail) {
    unsigned index = *tail & *r->sq_mask;
    struct io_uring_sqe *e = &r->sqes[index];
    memset(e, 0, sizeof *e);
    r->sq_array[index] = index;
    ++*tail;
    return e;
}

static int through_ring(int stats, int renames, unsigned batch) {
    struct ring r;
    ring_init(&r, batch * 2);
    int failed = 0;
    for (size_t start = 0; start < n; start += batch) {
        size_t end = start + batch < n ? start + batch : n;
        unsigned tail = *r.sq_tail, count = 0;
        for (size_t i = start; i < end && stats; ++i, ++count) {
            struct io_uring_sqe *e = next(&r, &tail);
            e->opcode = IORING_OP_STATX;
            e->fd = dirfd;
            e->addr = (uintptr_t)src[i];
            e->len = STATX_INO | STATX_BTIME;
            e->statx_flags = AT_SYMLINK_NOFOLLOW;
            e->off = (uintptr_t)&found[i];
        }
        for (size_t i = start; i < end && renames; ++i, ++count) {
            struct io_uring_sqe *e = next(&r, &tail);
            e->opcode = IORING_OP_RENAMEAT;
            e->fd = dirfd;
            e->addr = (uintptr_t)src[i];
            e->len = (unsigned)dirfd;
            e->addr2 = (uintptr_t)dst[i];
            e->rename_flags = RENAME_NOREPLACE;
            if (stats && i == start) e->flags |= IOSQE_IO_DRAIN;  /* after the batch's statx calls */
        }
        __atomic_store_n(r.sq_tail, tail, __ATOMIC_RELEASE);
        if (syscall(__NR_io_uring_enter, r.fd, count, count, IORING_ENTER_GETEVENTS, NULL, 0) < 0) {
            perror("io_uring_enter");
            return 2;
        }
        unsigned head = *r.cq_head, seen = 0;
        while (seen < count) {
            unsigned ready = __atomic_load_n(r.cq_tail, __ATOMIC_ACQUIRE);
            for (; head != ready; ++head, ++seen)
                if (r.cqes[head & *r.cq_mask].res < 0) failed = 1;
            __atomic_store_n(r.cq_head, head, __ATOMIC_RELEASE);
            if (seen < count)
                syscall(__NR_io_uring_enter, r.fd, 0, count - seen, IORING_ENTER_GETEVENTS, NULL, 0);
        }
    }
    return failed;
}

struct share { size_t begin, end; int stats, failed; };

static void *run_share(void *arg) {
    struct share *s = arg;
    for (size_t i = s->begin; i < s->end; ++i) {
        if (s->stats ? statx(dirfd, src[i], AT_SYMLINK_NOFOLLOW, STATX_INO | STATX_BTIME, &found[i])
                     : renameat2(dirfd, src[i], dirfd, dst[i], RENAME_NOREPLACE))
            s->failed = 1;
    }
    return NULL;
}

int main(int argc, char **argv) {
    if (argc < 3) { fprintf(stderr, "usage: syscall-floors MODE PAIRS [BATCH]\n"); return 2; }
    const char *mode = argv[1];
    load(argv[2]);
    const unsigned batch = argc > 3 ? (unsigned)atoi(argv[3]) : 64;
    found = calloc(n ? n : 1, sizeof *found);
    const int stats = strstr(mode, "statx") != NULL, renames = strstr(mode, "rename") != NULL;
    if (!strncmp(mode, "uring-", 6)) return through_ring(stats, renames, batch);
    if (!strncmp(mode, "thread2-", 8)) {
        struct share a = {0, n / 2, stats, 0}, b = {n / 2, n, stats, 0};
        pthread_t other;
        pthread_create(&other, NULL, run_share, &b);
        run_share(&a);
        pthread_join(other, NULL);
        return a.failed | b.failed;
    }
    if (strcmp(mode, "rename") && strcmp(mode, "statx") && strcmp(mode, "statx-rename")) {
        fprintf(stderr, "bad mode\n");
        return 2;
    }
    struct share all = {0, n, 1, 0};
    if (stats) run_share(&all);
    all.stats = 0;
    if (renames) run_share(&all);
    return all.failed;
}
