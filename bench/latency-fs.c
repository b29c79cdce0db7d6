// A board behind a file server: a FUSE passthrough that delays every operation and, for the tests, makes files busy, vanish, fail or change and folds names as a Windows server does.
//
// Usage: latency-fs SOURCE MOUNTPOINT DELAY_MS [-f] [OPTION...]
// Mounts SOURCE at MOUNTPOINT (in the background unless -f) and answers every request after DELAY_MS,
// many at once, as a file server on a network does. Like a network client, the kernel keeps a
// listing's names and attributes for a second (readdirplus always, with offsets, so that the entries
// are usable), caches no file data (direct I/O) and no missing names (negative timeout 0). A whole
// directory listing costs one delay. Without options the share is read-only. Unmount with
// `fusermount3 -u MOUNTPOINT`.
//
// Options:
//   --entry-timeout=S, --attr-timeout=S
//       how long the kernel keeps names and attributes (1 s). With 0 every stat, fstat included, is
//       a round trip, so a file rewritten on SOURCE shows its new size and time at once.
//   --writable
//       writes, new files and removals through the share reach SOURCE.
//   --case-blind=CHARSET
//       a name that is not found as given is looked up as a Windows server does: without case, the
//       names read in CHARSET (CP932, UTF-8), letters folded as Windows' upper-case table folds them
//       (full-width, Greek and Cyrillic letters too). Listings show the names as stored.
//   --faults
//       a control file .faults at the top of the share, never listed. Each line written to it is a
//       rule (a write holds whole lines; a bad line fails the write with EINVAL), NAME being a path
//       below the top as stored, without blanks, and MS -1 meaning for good, 0 ending the rule:
//         busy NAME MS      opening NAME fails with EBUSY, as a Linux SMB mount reports a Windows
//                           sharing violation
//         vanish NAME MS    NAME stays listed, but a look-up or an open of it says ENOENT
//         fail NAME open|read COUNT ERRNO
//                           the next COUNT opens or reads of NAME fail with ERRNO, a number or a
//                           name such as EIO, ECONNRESET, ETIMEDOUT, EHOSTDOWN, EACCES
//         fail DIR list COUNT ERRNO [AFTER]
//                           the next COUNT listings of the directory DIR ("." for the top) fail with
//                           ERRNO: at its opening, or once AFTER entries ("." and ".." among them)
//                           have been given, if it holds more
//         mark NAME MS      opens of NAME for reading meanwhile are counted as marked: a writer of
//                           the test's says when a moment matters, such as a save in progress
//         rewrite NAME FROM the next read of NAME returns half of what it asks for, and then FROM's
//                           bytes are written over NAME in place: a client saves the file while it
//                           is read, and the reader's next read goes on in the new version
//         clear             ends every rule
//       Reading it gives the answers served so far, a "kind count" line each:
//         busy      EBUSY of busy rules
//         vanished  ENOENT for a name that a listing of the share showed in the last two seconds:
//                   of vanish rules, and of files removed after they were listed
//         failed    errors of fail rules
//         changed   files written over by rewrite rules
//         held      opens for reading while another handle had the file open for writing through
//                   the share (under Wine, whose server refuses such an open itself, a sharing
//                   violation that the share only sees)
//         marked    opens for reading of a name while a mark rule was in force
#define FUSE_USE_VERSION 314
#include <fuse3/fuse.h>

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <iconv.h>
#include <limits.h>
#include <locale.h>
#include <pthread.h>
#include <stdbool.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <wchar.h>
#include <wctype.h>

static char source[PATH_MAX];
static struct timespec delay;
static double entry_timeout = 1.0;
static double attr_timeout = 1.0;
static bool writable;
static bool faults;
static const char *case_charset;  // NULL: names are taken as given

static const char control[] = "/.faults";

static void wait_a_round_trip(void) {
    struct timespec left = delay;
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

static bool is_control(const char *path) { return faults && path && strcmp(path, control) == 0; }

// ---- Case-blind names ----

// Windows' upper case of a UTF-16 unit: towupper's, but for the letters whose capital also stands for
// another small letter (dotless i, long s, micro, final sigma, Greek symbol forms, title-case
// digraphs), which Windows leaves as they are, and for scripts given case after Windows 8's table.
static wint_t upcase(wint_t c) {
    static const wint_t kept[][2] = {
        {0x00B5, 0x00B5}, {0x0131, 0x0131}, {0x017F, 0x017F}, {0x01C5, 0x01C5}, {0x01C8, 0x01C8},
        {0x01CB, 0x01CB}, {0x01F2, 0x01F2}, {0x03C2, 0x03C2}, {0x03D0, 0x03D1}, {0x03D5, 0x03D6},
        {0x03F0, 0x03F1}, {0x03F5, 0x03F5}, {0x10D0, 0x10FF}, {0x13F8, 0x13FD}, {0x1E9B, 0x1E9B},
        {0x1FBE, 0x1FBE}, {0xAB70, 0xABBF},
    };
    if (c > 0xFFFF) return c;
    for (size_t i = 0; i < sizeof kept / sizeof kept[0]; ++i) {
        if (c >= kept[i][0] && c <= kept[i][1]) return c;
    }
    const wint_t upper = towupper(c);
    return upper > 0xFFFF ? c : upper;
}

// `name` in CASE_CHARSET as upper-case wide characters; false when it is not text of that charset.
static bool fold(const char *name, wchar_t *out, size_t room) {
    iconv_t cd = iconv_open("WCHAR_T", case_charset);
    if (cd == (iconv_t)-1) return false;
    char *in = (char *)name;
    size_t in_left = strlen(name);
    char *to = (char *)out;
    size_t to_left = (room - 1) * sizeof *out;
    const bool ok = iconv(cd, &in, &in_left, &to, &to_left) != (size_t)-1;
    iconv_close(cd);
    if (!ok) return false;
    const size_t n = (size_t)((wchar_t *)to - out);
    out[n] = L'\0';
    for (size_t i = 0; i < n; ++i) out[i] = (wchar_t)upcase((wint_t)out[i]);
    return true;
}

// The first entry of `dir`, in the directory's order, that folds together with `name`, into `found`.
static bool find_folded(const char *dir, const char *name, char *found) {
    wchar_t want[NAME_MAX + 1];
    wchar_t have[NAME_MAX + 1];
    if (!fold(name, want, NAME_MAX + 1)) return false;
    DIR *d = opendir(dir);
    if (!d) return false;
    bool matched = false;
    for (struct dirent *e; !matched && (e = readdir(d));) {
        if (fold(e->d_name, have, NAME_MAX + 1) && wcscmp(want, have) == 0) {
            snprintf(found, NAME_MAX + 1, "%s", e->d_name);
            matched = true;
        }
    }
    closedir(d);
    return matched;
}

// The path on SOURCE of `path`; case-blind, each part that is not found as given becomes the entry it
// folds together with, if any.
static void full_path(char *out, const char *path) {
    snprintf(out, PATH_MAX, "%s%s", source, path);
    struct stat st;
    if (!case_charset || lstat(out, &st) == 0) return;
    char resolved[PATH_MAX];
    snprintf(resolved, sizeof resolved, "%s", source);
    for (const char *part = path; *part;) {
        while (*part == '/') ++part;
        const size_t length = strcspn(part, "/");
        if (length == 0 || length > NAME_MAX) break;
        char name[NAME_MAX + 1];
        memcpy(name, part, length);
        name[length] = '\0';
        const size_t end = strlen(resolved);
        snprintf(resolved + end, sizeof resolved - end, "/%s", name);
        if (lstat(resolved, &st) != 0) {
            char found[NAME_MAX + 1];
            resolved[end] = '\0';
            if (find_folded(resolved, name, found)) snprintf(name, sizeof name, "%s", found);
            snprintf(resolved + end, sizeof resolved - end, "/%s", name);
        }
        part += length;
    }
    snprintf(out, PATH_MAX, "%s", resolved);
}

// The name that rules use for a path on SOURCE: below the top, as stored.
static const char *stored_name(const char *real) {
    const size_t n = strlen(source);
    return real[n] == '/' ? real + n + 1 : real + n;
}

// ---- Rules and counters ----

enum rule_kind { BUSY, VANISH, MARK, FAIL_OPEN, FAIL_READ, FAIL_LIST, REWRITE };
enum counter { SERVED_BUSY, SERVED_VANISHED, SERVED_FAILED, SERVED_CHANGED, SEEN_HELD, SEEN_MARKED, COUNTERS };
static const char *const counter_names[COUNTERS] = {"busy", "vanished", "failed", "changed", "held", "marked"};

struct rule {
    char *name;
    enum rule_kind kind;
    bool forever;
    struct timespec until;  // BUSY, VANISH, MARK
    long count;             // FAIL_OPEN, FAIL_READ, FAIL_LIST
    int error;
    long after;             // FAIL_LIST
    char *from;             // REWRITE
};

// Handles open for writing, by name.
struct holder {
    char *name;
    int count;
};

enum { MOST = 256 };
static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
static struct rule rules[MOST];
static size_t rule_count;
static struct holder holders[MOST];
static size_t holder_count;
static long counters[COUNTERS];
// The latest listings of directories (a reader may list one more than once, Wine for each pattern):
// each directory's path on SOURCE, its names, sorted, and when it was listed.
struct listed {
    char *dir;
    char **names;
    size_t count;
    struct timespec when;
};
enum { LISTINGS = 16, LISTED_FOR = 2 };
static struct listed listings[LISTINGS];
static size_t next_listing;

static struct timespec now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t;
}

static bool before(struct timespec a, struct timespec b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

static struct rule *find_rule(const char *name, enum rule_kind kind) {
    for (size_t i = 0; i < rule_count; ++i) {
        if (rules[i].kind == kind && strcmp(rules[i].name, name) == 0) return &rules[i];
    }
    return NULL;
}

static void drop_rule(struct rule *r) {
    free(r->name);
    free(r->from);
    *r = rules[--rule_count];
}

// The error that a rule of `kind` answers for `name` now (counted), or 0. Called with the lock held.
static int ruled(const char *name, enum rule_kind kind) {
    struct rule *r = find_rule(name, kind);
    if (!r) return 0;
    switch (kind) {
        case BUSY:
        case VANISH:
        case MARK:
            if (!r->forever && !before(now(), r->until)) {
                drop_rule(r);
                return 0;
            }
            if (kind == MARK) {
                ++counters[SEEN_MARKED];
                return 0;
            }
            ++counters[kind == BUSY ? SERVED_BUSY : SERVED_VANISHED];
            return kind == BUSY ? EBUSY : ENOENT;
        case REWRITE:
        case FAIL_LIST: break;  // see take_rewrite and take_list_failure
        case FAIL_OPEN:
        case FAIL_READ: {
            const int error = r->error;
            if (--r->count == 0) drop_rule(r);
            ++counters[SERVED_FAILED];
            return error;
        }
    }
    return 0;
}

// The first of `kinds` whose rule answers for `name`: its error, or 0.
static int injected(const char *name, const enum rule_kind *kinds, size_t n) {
    if (!faults) return 0;
    pthread_mutex_lock(&lock);
    int error = 0;
    for (size_t i = 0; i < n && !error; ++i) error = ruled(name, kinds[i]);
    pthread_mutex_unlock(&lock);
    return error;
}

// Uses up the rewrite rule of `name`: the name of the file to write over it, or NULL.
static char *take_rewrite(const char *name) {
    if (!faults) return NULL;
    char *from = NULL;
    pthread_mutex_lock(&lock);
    struct rule *r = find_rule(name, REWRITE);
    if (r) {
        from = strdup(r->from);
        drop_rule(r);
        ++counters[SERVED_CHANGED];
    }
    pthread_mutex_unlock(&lock);
    return from;
}

// Uses up one failure of the list rule of the directory `name`: its error, with the entries it lets
// through first in `after`, or 0.
static int take_list_failure(const char *name, long *after) {
    if (!faults) return 0;
    int error = 0;
    pthread_mutex_lock(&lock);
    struct rule *r = find_rule(name, FAIL_LIST);
    if (r) {
        error = r->error;
        *after = r->after;
        if (--r->count == 0) drop_rule(r);
    }
    pthread_mutex_unlock(&lock);
    return error;
}

static void count_failure(void) {
    pthread_mutex_lock(&lock);
    ++counters[SERVED_FAILED];
    pthread_mutex_unlock(&lock);
}

// Writes the bytes of the file `from` over the file `name`, both below SOURCE, in place.
static void write_over(const char *name, const char *from) {
    char to[2 * PATH_MAX];
    char in_path[2 * PATH_MAX];
    snprintf(to, sizeof to, "%s/%s", source, name);
    snprintf(in_path, sizeof in_path, "%s/%s", source, from);
    char bytes[65536];
    const int in = open(in_path, O_RDONLY);
    const ssize_t n = in < 0 ? -1 : read(in, bytes, sizeof bytes);
    if (in >= 0) close(in);
    const int out = n < 0 ? -1 : open(to, O_WRONLY | O_TRUNC);
    if (out < 0 || write(out, bytes, (size_t)n) != n) fprintf(stderr, "latency-fs: cannot rewrite %s\n", to);
    if (out >= 0) close(out);
}

static int compare_names(const void *a, const void *b) { return strcmp(*(char *const *)a, *(char *const *)b); }

// Counts an ENOENT for the path `real` on SOURCE when a recent listing of its directory showed it.
static void count_if_listed(const char *real) {
    if (!faults) return;
    const char *slash = strrchr(real, '/');
    const char *name = slash + 1;
    const size_t dir_length = (size_t)(slash - real);
    struct timespec since = now();
    since.tv_sec -= LISTED_FOR;
    pthread_mutex_lock(&lock);
    for (size_t i = 0; i < LISTINGS; ++i) {
        const struct listed *l = &listings[i];
        if (l->dir && before(since, l->when) && strlen(l->dir) == dir_length && strncmp(l->dir, real, dir_length) == 0 &&
            bsearch(&name, l->names, l->count, sizeof *l->names, compare_names)) {
            ++counters[SERVED_VANISHED];
            break;
        }
    }
    pthread_mutex_unlock(&lock);
}

// Takes `names` (sorted here) as a listing of the directory `real`, in place of the oldest one kept.
static void remember_listing(const char *real, char **names, size_t count) {
    qsort(names, count, sizeof *names, compare_names);
    char *dir = strdup(real);
    for (size_t n = strlen(dir); n > 1 && dir[n - 1] == '/';) dir[--n] = '\0';  // the top is SOURCE "/"
    pthread_mutex_lock(&lock);
    struct listed *l = &listings[next_listing];
    next_listing = (next_listing + 1) % LISTINGS;
    for (size_t i = 0; i < l->count; ++i) free(l->names[i]);
    free(l->names);
    free(l->dir);
    *l = (struct listed){dir, names, count, now()};
    pthread_mutex_unlock(&lock);
}

static struct holder *find_holder(const char *name) {
    for (size_t i = 0; i < holder_count; ++i) {
        if (strcmp(holders[i].name, name) == 0) return &holders[i];
    }
    return NULL;
}

// A handle for writing opened (+1) or closed (-1); reading opens meanwhile count as held.
static void hold(const char *name, int change) {
    pthread_mutex_lock(&lock);
    struct holder *h = find_holder(name);
    if (!h && change > 0 && holder_count < MOST) {
        h = &holders[holder_count++];
        *h = (struct holder){strdup(name), 0};
    }
    if (h && (h->count += change) <= 0) {
        free(h->name);
        *h = holders[--holder_count];
    }
    pthread_mutex_unlock(&lock);
}

static void count_if_held(const char *name) {
    pthread_mutex_lock(&lock);
    if (find_holder(name)) ++counters[SEEN_HELD];
    pthread_mutex_unlock(&lock);
}

static int error_number(const char *text) {
    static const struct {
        const char *name;
        int error;
    } known[] = {
        {"EIO", EIO},           {"ECONNRESET", ECONNRESET},     {"ETIMEDOUT", ETIMEDOUT},
        {"EHOSTDOWN", EHOSTDOWN}, {"EHOSTUNREACH", EHOSTUNREACH}, {"ENETDOWN", ENETDOWN},
        {"ENETRESET", ENETRESET}, {"ECONNABORTED", ECONNABORTED}, {"EREMCHG", EREMCHG},
        {"EAGAIN", EAGAIN},     {"ESTALE", ESTALE},             {"EACCES", EACCES},
        {"EPERM", EPERM},       {"ENOENT", ENOENT},             {"EBUSY", EBUSY},
    };
    for (size_t i = 0; i < sizeof known / sizeof known[0]; ++i) {
        if (strcmp(known[i].name, text) == 0) return known[i].error;
    }
    char *end;
    const long n = strtol(text, &end, 10);
    return *end == '\0' && n > 0 && n < 512 ? (int)n : 0;
}

// Sets a rule, or ends it with `value` 0: for BUSY, VANISH and MARK the time in ms (-1 for good), for
// FAIL_OPEN, FAIL_READ and FAIL_LIST the count.
static bool set_rule(const char *name, enum rule_kind kind, long value, int error, long after, const char *from) {
    pthread_mutex_lock(&lock);
    struct rule *r = find_rule(name, kind);
    bool ok = true;
    if (value == 0) {
        if (r) drop_rule(r);
    } else {
        if (!r && rule_count < MOST) {
            r = &rules[rule_count++];
            *r = (struct rule){.name = strdup(name), .kind = kind};
        }
        if (!r) {
            ok = false;
        } else if (kind == BUSY || kind == VANISH || kind == MARK) {
            r->forever = value < 0;
            r->until = now();
            r->until.tv_sec += value / 1000;
            r->until.tv_nsec += (value % 1000) * 1000000L;
            if (r->until.tv_nsec >= 1000000000L) {
                r->until.tv_sec += 1;
                r->until.tv_nsec -= 1000000000L;
            }
        } else {
            r->count = value;
            r->error = error;
            r->after = after;
            free(r->from);
            r->from = from ? strdup(from) : NULL;
        }
    }
    pthread_mutex_unlock(&lock);
    return ok;
}

static bool apply_line(const char *line) {
    char op[16];
    char name[PATH_MAX];
    char what[16];
    char error[32];
    long value;
    char extra;
    if (sscanf(line, "%15s", op) != 1) return true;  // an empty line
    if (strcmp(op, "clear") == 0) {
        pthread_mutex_lock(&lock);
        while (rule_count > 0) drop_rule(&rules[rule_count - 1]);
        pthread_mutex_unlock(&lock);
        return true;
    }
    if (strcmp(op, "busy") == 0 || strcmp(op, "vanish") == 0 || strcmp(op, "mark") == 0) {
        if (sscanf(line, "%*s %4095s %ld %c", name, &value, &extra) != 2 || value < -1) return false;
        return set_rule(name, op[0] == 'b' ? BUSY : op[0] == 'v' ? VANISH : MARK, value, 0, 0, NULL);
    }
    if (strcmp(op, "fail") == 0) {
        long after = 0;
        const int fields = sscanf(line, "%*s %4095s %15s %ld %31s %ld %c", name, what, &value, error, &after, &extra);
        if (fields < 4) return false;
        const int number = error_number(error);
        const enum rule_kind kind = strcmp(what, "open") == 0   ? FAIL_OPEN
                                    : strcmp(what, "read") == 0 ? FAIL_READ
                                    : strcmp(what, "list") == 0 ? FAIL_LIST
                                                                : REWRITE;
        if (kind == REWRITE || !number || value < 0 || after < 0) return false;
        if (fields != 4 && !(fields == 5 && kind == FAIL_LIST)) return false;
        // The top directory's name is empty, as stored_name gives it.
        return set_rule(kind == FAIL_LIST && strcmp(name, ".") == 0 ? "" : name, kind, value, number, after, NULL);
    }
    if (strcmp(op, "rewrite") == 0) {
        char from[PATH_MAX];
        if (sscanf(line, "%*s %4095s %4095s %c", name, from, &extra) != 2) return false;
        return set_rule(name, REWRITE, 1, 0, 0, from);
    }
    return false;
}

static int control_write(const char *buf, size_t size) {
    char *text = strndup(buf, size);
    bool ok = true;
    for (char *line = strtok(text, "\n"); line; line = strtok(NULL, "\n")) ok = apply_line(line) && ok;
    free(text);
    return ok ? (int)size : -EINVAL;
}

static int control_read(char *buf, size_t size, off_t offset) {
    char text[256];
    int length = 0;
    pthread_mutex_lock(&lock);
    for (int i = 0; i < COUNTERS; ++i) {
        length += snprintf(text + length, sizeof text - length, "%s %ld\n", counter_names[i], counters[i]);
    }
    pthread_mutex_unlock(&lock);
    if (offset >= length) return 0;
    const size_t n = (size_t)(length - offset) < size ? (size_t)(length - offset) : size;
    memcpy(buf, text + offset, n);
    return (int)n;
}

// ---- The file system ----

// An open file: its descriptor (-1 for the control file), the name that rules use for it, and whether
// it holds the file open for writing.
struct handle {
    int fd;
    char *name;
    bool holding;
};

static struct handle *handle_of(struct fuse_file_info *fi) { return (struct handle *)(uintptr_t)fi->fh; }

static bool is_control_handle(struct fuse_file_info *fi) { return handle_of(fi)->fd < 0; }

static int open_handle(struct fuse_file_info *fi, int fd, const char *name, bool holding) {
    struct handle *h = malloc(sizeof *h);
    *h = (struct handle){fd, strdup(name), holding};
    if (holding) hold(name, +1);
    fi->fh = (uint64_t)(uintptr_t)h;
    fi->direct_io = 1;
    return 0;
}

// Ends a handle's hold on its file: at its first flush, which a close waits for, so that an open that
// follows the close never counts as held.
static void end_hold(struct handle *h) {
    if (!h->holding) return;
    hold(h->name, -1);
    h->holding = false;
}

static void *lat_init(struct fuse_conn_info *conn, struct fuse_config *cfg) {
    cfg->entry_timeout = entry_timeout;
    cfg->attr_timeout = attr_timeout;
    cfg->negative_timeout = 0.0;
    cfg->direct_io = 1;
    cfg->kernel_cache = 0;
    cfg->use_ino = 1;
    // Open files are read and written through their descriptors, so a removed one needs no hiding.
    cfg->hard_remove = 1;
    cfg->nullpath_ok = 1;
    conn->want |= FUSE_CAP_READDIRPLUS;
    conn->want &= ~FUSE_CAP_READDIRPLUS_AUTO;
    conn->max_background = 512;
    conn->congestion_threshold = 384;
    return NULL;
}

static int lat_getattr(const char *path, struct stat *st, struct fuse_file_info *fi) {
    if (fi ? is_control_handle(fi) : is_control(path)) {
        *st = (struct stat){.st_mode = S_IFREG | 0666, .st_nlink = 1};
        return 0;
    }
    wait_a_round_trip();
    if (fi) return fstat(handle_of(fi)->fd, st) == 0 ? 0 : -errno;
    char real[PATH_MAX];
    full_path(real, path);
    const enum rule_kind kinds[] = {VANISH};
    const int error = injected(stored_name(real), kinds, 1);
    if (error) return -error;
    if (lstat(real, st) == 0) return 0;
    if (errno == ENOENT) count_if_listed(real);
    return -errno;
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

// A directory's entries with their attributes, read once when it is opened, and the error that a
// list rule makes it fail with once `fail_at` entries have been given.
struct listing {
    size_t count;
    char **names;
    struct stat *stats;
    int error;
    size_t fail_at;
    bool failed;  // the error was served
};

static int lat_opendir(const char *path, struct fuse_file_info *fi) {
    char real[PATH_MAX];
    full_path(real, path);
    long after = 0;
    const int error = take_list_failure(stored_name(real), &after);
    if (error && after == 0) {
        wait_a_round_trip();
        count_failure();
        return -error;
    }
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
    if (error && (size_t)after < l->count) {
        l->error = error;
        l->fail_at = (size_t)after;
    }
    if (faults) {
        char **names = malloc((l->count + 1) * sizeof *names);
        for (size_t i = 0; i < l->count; ++i) names[i] = strdup(l->names[i]);
        remember_listing(real, names, l->count);
    }
    fi->fh = (uint64_t)(uintptr_t)l;
    return 0;
}

static int lat_readdir(const char *path, void *buf, fuse_fill_dir_t fill, off_t offset, struct fuse_file_info *fi,
                       enum fuse_readdir_flags flags) {
    (void)path;
    (void)flags;
    struct listing *l = (struct listing *)(uintptr_t)fi->fh;
    if (offset == 0) wait_a_round_trip();
    const size_t end = l->error ? l->fail_at : l->count;
    if (l->error && (size_t)offset >= end) {
        if (!l->failed) count_failure();
        l->failed = true;
        return -l->error;
    }
    for (size_t i = (size_t)offset; i < end; ++i) {
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
    if (is_control(path)) return open_handle(fi, -1, "", false);
    const bool writing = (fi->flags & O_ACCMODE) != O_RDONLY;
    if (writing && !writable) return -EROFS;
    char real[PATH_MAX];
    full_path(real, path);
    const char *name = stored_name(real);
    wait_a_round_trip();
    const enum rule_kind kinds[] = {VANISH, BUSY, FAIL_OPEN};
    const int error = injected(name, kinds, 3);
    if (error) return -error;
    const int fd = writing ? open(real, fi->flags & (O_ACCMODE | O_APPEND)) : open(real, O_RDONLY | O_NONBLOCK);
    if (fd < 0) {
        const int why = errno;
        if (why == ENOENT) count_if_listed(real);
        return -why;
    }
    if (faults && !writing) {
        count_if_held(name);
        const enum rule_kind marked[] = {MARK};
        injected(name, marked, 1);
    }
    return open_handle(fi, fd, name, faults && writing);
}

static int lat_create(const char *path, mode_t mode, struct fuse_file_info *fi) {
    if (!writable || is_control(path)) return -EROFS;
    char real[PATH_MAX];
    full_path(real, path);
    wait_a_round_trip();
    const int fd = open(real, (fi->flags & ~O_NOFOLLOW) | O_CREAT, mode);
    if (fd < 0) return -errno;
    return open_handle(fi, fd, stored_name(real), faults);
}

static int lat_read(const char *path, char *buf, size_t size, off_t offset, struct fuse_file_info *fi) {
    (void)path;
    const struct handle *h = handle_of(fi);
    if (h->fd < 0) return control_read(buf, size, offset);
    wait_a_round_trip();
    const enum rule_kind kinds[] = {FAIL_READ};
    const int error = injected(h->name, kinds, 1);
    if (error) return -error;
    char *from = take_rewrite(h->name);
    const ssize_t n = pread(h->fd, buf, from && size > 1 ? size / 2 : size, offset);
    const int why = errno;
    if (from) {
        write_over(h->name, from);
        free(from);
    }
    return n < 0 ? -why : (int)n;
}

static int lat_write(const char *path, const char *buf, size_t size, off_t offset, struct fuse_file_info *fi) {
    (void)path;
    if (is_control_handle(fi)) return control_write(buf, size);
    wait_a_round_trip();
    const ssize_t n = pwrite(handle_of(fi)->fd, buf, size, offset);
    return n < 0 ? -errno : (int)n;
}

static int lat_truncate(const char *path, off_t size, struct fuse_file_info *fi) {
    if (fi ? is_control_handle(fi) : is_control(path)) return 0;  // the O_TRUNC of a shell's redirection
    if (!writable) return -EROFS;
    wait_a_round_trip();
    if (fi) return ftruncate(handle_of(fi)->fd, size) == 0 ? 0 : -errno;
    char real[PATH_MAX];
    full_path(real, path);
    return truncate(real, size) == 0 ? 0 : -errno;
}

static int lat_utimens(const char *path, const struct timespec tv[2], struct fuse_file_info *fi) {
    if (fi ? is_control_handle(fi) : is_control(path)) return 0;
    if (!writable) return -EROFS;
    wait_a_round_trip();
    if (fi) return futimens(handle_of(fi)->fd, tv) == 0 ? 0 : -errno;
    char real[PATH_MAX];
    full_path(real, path);
    return utimensat(AT_FDCWD, real, tv, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : -errno;
}

static int lat_unlink(const char *path) {
    if (!writable || is_control(path)) return -EROFS;
    char real[PATH_MAX];
    full_path(real, path);
    wait_a_round_trip();
    return unlink(real) == 0 ? 0 : -errno;
}

static int lat_flush(const char *path, struct fuse_file_info *fi) {
    (void)path;
    if (is_control_handle(fi)) return 0;
    end_hold(handle_of(fi));
    wait_a_round_trip();  // a close is a round trip on a file server
    return 0;
}

static int lat_fsync(const char *path, int datasync, struct fuse_file_info *fi) {
    (void)path;
    (void)datasync;
    if (is_control_handle(fi)) return 0;
    wait_a_round_trip();
    return fsync(handle_of(fi)->fd) == 0 ? 0 : -errno;
}

static int lat_release(const char *path, struct fuse_file_info *fi) {
    (void)path;
    struct handle *h = handle_of(fi);
    if (h->fd >= 0) {
        wait_a_round_trip();
        end_hold(h);
        close(h->fd);
    }
    free(h->name);
    free(h);
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
    .create = lat_create,
    .read = lat_read,
    .write = lat_write,
    .truncate = lat_truncate,
    .utimens = lat_utimens,
    .unlink = lat_unlink,
    .flush = lat_flush,
    .fsync = lat_fsync,
    .release = lat_release,
    .statfs = lat_statfs,
};

static bool seconds_option(const char *arg, const char *prefix, double *value) {
    const size_t n = strlen(prefix);
    if (strncmp(arg, prefix, n) != 0) return false;
    char *end;
    *value = strtod(arg + n, &end);
    return *end == '\0' && *value >= 0;
}

int main(int argc, char *argv[]) {
    bool foreground = false;
    bool usage = argc < 4;
    for (int i = 4; i < argc && !usage; ++i) {
        const char *arg = argv[i];
        if (strcmp(arg, "-f") == 0) {
            foreground = true;
        } else if (strcmp(arg, "--writable") == 0) {
            writable = true;
        } else if (strcmp(arg, "--faults") == 0) {
            faults = true;
        } else if (strncmp(arg, "--case-blind=", 13) == 0 && arg[13]) {
            case_charset = arg + 13;
        } else if (!seconds_option(arg, "--entry-timeout=", &entry_timeout) &&
                   !seconds_option(arg, "--attr-timeout=", &attr_timeout)) {
            usage = true;
        }
    }
    if (usage) {
        fprintf(stderr, "usage: latency-fs SOURCE MOUNTPOINT DELAY_MS [-f] [--entry-timeout=S] [--attr-timeout=S]\n"
                        "       [--writable] [--case-blind=CHARSET] [--faults]\n");
        return 2;
    }
    if (!realpath(argv[1], source)) {
        perror(argv[1]);
        return 1;
    }
    if (case_charset) {
        iconv_t cd = iconv_open("WCHAR_T", case_charset);
        if (cd == (iconv_t)-1 || !setlocale(LC_CTYPE, "C.UTF-8")) {
            fprintf(stderr, "latency-fs: cannot fold names of %s\n", case_charset);
            return 1;
        }
        iconv_close(cd);
    }
    const long ms = strtol(argv[3], NULL, 10);
    delay.tv_sec = ms / 1000;
    delay.tv_nsec = (ms % 1000) * 1000000L;
    // Threads enough for every request in flight: a server answers them at once. The control file
    // and writable files need a mount that the kernel lets write.
    char options[128];
    snprintf(options, sizeof options, "%sfsname=latency-fs,max_threads=512,max_idle_threads=512",
             writable || faults ? "" : "ro,");
    char *args[] = {argv[0], argv[2], "-o", options, foreground ? "-f" : NULL, NULL};
    return fuse_main(foreground ? 5 : 4, args, &operations, NULL);
}
