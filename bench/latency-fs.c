// A board behind a file server's latency: a read-only FUSE passthrough that delays every operation.
//
// Usage: latency-fs SOURCE MOUNTPOINT DELAY_MS [-f]
// Mounts SOURCE read-only at MOUNTPOINT (in the background unless -f) and answers every request after
// DELAY_MS, many at once, as a file server on a network does. Like a network client, the kernel keeps
// a listing's names and attributes for a second (readdirplus always, with offsets, so that the entries
// are usable), caches no file data (direct I/O) and no missing names (negative timeout 0). A whole
// directory listing costs one delay. Unmount with `fusermount3 -u MOUNTPOINT`.
#define FUSE_USE_VERSION 314
#include <fuse3/fuse.h>

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

static char source[PATH_MAX];
static struct timespec delay;

static void wait_a_round_trip(void) {
    struct timespec left = delay;
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

static void full_path(char *out, const char *path) { snprintf(out, PATH_MAX, "%s%s", source, path); }

static void *lat_init(struct fuse_conn_info *conn, struct fuse_config *cfg) {
    cfg->entry_timeout = 1.0;
    cfg->attr_timeout = 1.0;
    cfg->negative_timeout = 0.0;
    cfg->direct_io = 1;
    cfg->kernel_cache = 0;
    cfg->use_ino = 1;
    conn->want |= FUSE_CAP_READDIRPLUS;
    conn->want &= ~FUSE_CAP_READDIRPLUS_AUTO;
    conn->max_background = 512;
    conn->congestion_threshold = 384;
    return NULL;
}

static int lat_getattr(const char *path, struct stat *st, struct fuse_file_info *fi) {
    (void)fi;
    char real[PATH_MAX];
    full_path(real, path);
    wait_a_round_trip();
    return lstat(real, st) == 0 ? 0 : -errno;
}

static int lat_readlink(const char *path, char *buf, size_t size) {
    char real[PATH_MAX];
    full_path(real, path);
    wait_a_round_trip();
    const ssize_t n = readlink(real, buf, size - 1);
    if (n < 0) return -errno;
    buf[n] = '\0';
    return 0;
}

// A directory's entries with their attributes, read once when it is opened.
struct listing {
    size_t count;
    char **names;
    struct stat *stats;
};

static int lat_opendir(const char *path, struct fuse_file_info *fi) {
    char real[PATH_MAX];
    full_path(real, path);
    DIR *dir = opendir(real);
    if (!dir) return -errno;
    struct listing *l = calloc(1, sizeof *l);
    size_t room = 0;
    for (struct dirent *e; (e = readdir(dir));) {
        if (l->count == room) {
            room = room ? room * 2 : 256;
            l->names = realloc(l->names, room * sizeof *l->names);
            l->stats = realloc(l->stats, room * sizeof *l->stats);
        }
        if (fstatat(dirfd(dir), e->d_name, &l->stats[l->count], AT_SYMLINK_NOFOLLOW) != 0) continue;
        l->names[l->count++] = strdup(e->d_name);
    }
    closedir(dir);
    fi->fh = (uint64_t)(uintptr_t)l;
    return 0;
}

static int lat_readdir(const char *path, void *buf, fuse_fill_dir_t fill, off_t offset, struct fuse_file_info *fi,
                       enum fuse_readdir_flags flags) {
    (void)path;
    (void)flags;
    const struct listing *l = (const struct listing *)(uintptr_t)fi->fh;
    if (offset == 0) wait_a_round_trip();
    for (size_t i = (size_t)offset; i < l->count; ++i) {
        if (fill(buf, l->names[i], &l->stats[i], (off_t)(i + 1), FUSE_FILL_DIR_PLUS)) break;
    }
    return 0;
}

static int lat_releasedir(const char *path, struct fuse_file_info *fi) {
    (void)path;
    struct listing *l = (struct listing *)(uintptr_t)fi->fh;
    for (size_t i = 0; i < l->count; ++i) free(l->names[i]);
    free(l->names);
    free(l->stats);
    free(l);
    return 0;
}

static int lat_open(const char *path, struct fuse_file_info *fi) {
    if ((fi->flags & O_ACCMODE) != O_RDONLY) return -EROFS;
    char real[PATH_MAX];
    full_path(real, path);
    wait_a_round_trip();
    const int fd = open(real, O_RDONLY | O_NONBLOCK);
    if (fd < 0) return -errno;
    fi->fh = (uint64_t)fd;
    fi->direct_io = 1;
    return 0;
}

static int lat_read(const char *path, char *buf, size_t size, off_t offset, struct fuse_file_info *fi) {
    (void)path;
    wait_a_round_trip();
    const ssize_t n = pread((int)fi->fh, buf, size, offset);
    return n < 0 ? -errno : (int)n;
}

static int lat_flush(const char *path, struct fuse_file_info *fi) {
    (void)path;
    (void)fi;
    wait_a_round_trip();  // a close is a round trip on a file server
    return 0;
}

static int lat_release(const char *path, struct fuse_file_info *fi) {
    (void)path;
    wait_a_round_trip();
    close((int)fi->fh);
    return 0;
}

static int lat_statfs(const char *path, struct statvfs *st) {
    char real[PATH_MAX];
    full_path(real, path);
    wait_a_round_trip();
    return statvfs(real, st) == 0 ? 0 : -errno;
}

static const struct fuse_operations operations = {
    .init = lat_init,
    .getattr = lat_getattr,
    .readlink = lat_readlink,
    .opendir = lat_opendir,
    .readdir = lat_readdir,
    .releasedir = lat_releasedir,
    .open = lat_open,
    .read = lat_read,
    .flush = lat_flush,
    .release = lat_release,
    .statfs = lat_statfs,
};

int main(int argc, char *argv[]) {
    if (argc < 4 || argc > 5 || (argc == 5 && strcmp(argv[4], "-f") != 0)) {
        fprintf(stderr, "usage: latency-fs SOURCE MOUNTPOINT DELAY_MS [-f]\n");
        return 2;
    }
    if (!realpath(argv[1], source)) {
        perror(argv[1]);
        return 1;
    }
    const long ms = strtol(argv[3], NULL, 10);
    delay.tv_sec = ms / 1000;
    delay.tv_nsec = (ms % 1000) * 1000000L;
    // Threads enough for every request in flight: a server answers them at once.
    char *args[] = {argv[0], argv[2], "-o", "ro,fsname=latency-fs,max_threads=512,max_idle_threads=512",
                    argc == 5 ? "-f" : NULL, NULL};
    return fuse_main(argc == 5 ? 5 : 4, args, &operations, NULL);
}
