// Saves person files the way the board's clients do, one after another, while a reader lists them: most keep others out (write access, no sharing, rewritten while held), a third let readers in while they save in steps; some files are removed for a while and added back.
//
// Usage: holder SHARE SOURCE PERSONS TRANSIENT STOP SEED HOLD_MIN HOLD_MAX
// SHARE and SOURCE are the board's directory through the fault share and on its source directory,
// each ending with a backslash; the board's person files are p00.vlt ... (PERSONS of them). Until the
// file STOP exists, each turn picks a random person and for 30 to 80 ms (HOLD_MIN to HOLD_MAX):
// - holds its file open with write access and share mode 0 and writes its next version over it;
// - or, one time in three, saves its next version as many Windows programs do: opens it with write
//   access, letting others read it (FILE_SHARE_READ), emptying it (CREATE_ALWAYS), and writes the
//   first half and the rest with a pause before each. Meanwhile the share's mark rule for the file is
//   in force, so that the share counts the readers that came during such a save ("marked");
// - or, for one of the first TRANSIENT persons every other time, opens its file so too and removes it
//   through that handle, and adds the next version back afterwards. It is added under another name on
//   the source directory and renamed, so that no reader finds it half written and the share sees no
//   look-up of a missing name but the readers' own.
// A file that a reader has open is waited for, as a saving client retries. A version's fields all
// carry the tag "pNN.V." and V % 17 x's (tests/soak/share.sh). It writes a line as each turn starts,
// "hold pNN V MS", "save pNN V MS" or "remove pNN V MS" (V the version written, MS the turn's length),
// and at the end what it did.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static char share[MAX_PATH];
static char source[MAX_PATH];

static void person_text(char *text, size_t room, int person, unsigned version) {
    char tag[64];
    const int n = snprintf(tag, sizeof tag, "p%02d.%u.", person, version);
    memset(tag + n, 'x', version % 17);
    tag[n + version % 17] = '\0';
    snprintf(text, room, "%s\r\n%s\r\n%s\r\n%s\r\n\r\n\r\n\r\n%s\r\n%s\r\n0\r\n", tag, tag, tag, tag, tag, tag);
}

static void path_of(char *path, const char *dir, int person, const char *extension) {
    snprintf(path, MAX_PATH, "%sp%02d%s", dir, person, extension);
}

// Opens `path` as a saving client does, waiting while a reader has it open; counts the waits.
static HANDLE open_held(const char *path, DWORD access, DWORD share, DWORD disposition, unsigned *waits) {
    for (;;) {
        const HANDLE h = CreateFileA(path, access, share, NULL, disposition, FILE_ATTRIBUTE_NORMAL, NULL);
        if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION) return h;
        ++*waits;
        Sleep(1);
    }
}

// Writes `count` bytes of `text`.
static BOOL write_some(HANDLE h, const char *text, size_t count) {
    DWORD written = 0;
    return WriteFile(h, text, (DWORD)count, &written, NULL) && written == count;
}

static BOOL write_all(HANDLE h, const char *text) { return write_some(h, text, strlen(text)); }

// Sets a rule of the fault share through its control file.
static void rule(HANDLE control, const char *kind, int person, long ms) {
    char line[64];
    const int n = snprintf(line, sizeof line, "%s p%02d.vlt %ld\n", kind, person, ms);
    DWORD written = 0;
    if (!WriteFile(control, line, (DWORD)n, &written, NULL)) {
        fprintf(stderr, "holder: cannot set a rule (error %lu)\n", GetLastError());
        exit(1);
    }
}

static void fail(const char *what, const char *path) {
    fprintf(stderr, "holder: %s %s (error %lu)\n", what, path, GetLastError());
    exit(1);
}

int main(int argc, char **argv) {
    if (argc != 9) {
        fprintf(stderr, "usage: holder SHARE SOURCE PERSONS TRANSIENT STOP SEED HOLD_MIN HOLD_MAX\n");
        return 2;
    }
    snprintf(share, sizeof share, "%s", argv[1]);
    snprintf(source, sizeof source, "%s", argv[2]);
    const int persons = atoi(argv[3]);
    const int transient = atoi(argv[4]);
    const char *stop = argv[5];
    srand((unsigned)atoi(argv[6]));
    const int hold_min = atoi(argv[7]);
    const int hold_span = atoi(argv[8]) - hold_min + 1;
    setvbuf(stdout, NULL, _IONBF, 0);
    char path[MAX_PATH], other[MAX_PATH], text[512];
    snprintf(path, sizeof path, "%s.faults", share);
    const HANDLE control = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, NULL);
    if (control == INVALID_HANDLE_VALUE) fail("cannot open", path);
    unsigned version = 0, holds = 0, saves = 0, removals = 0, waits = 0;
    while (GetFileAttributesA(stop) == INVALID_FILE_ATTRIBUTES) {
        const int person = rand() % persons;
        const DWORD hold = (DWORD)(hold_min + rand() % hold_span);
        person_text(text, sizeof text, person, ++version);
        path_of(path, share, person, ".vlt");
        if (person < transient && rand() % 2 == 0) {
            printf("remove p%02d %u %lu\n", person, version, hold);
            const HANDLE h = open_held(path, GENERIC_WRITE | DELETE, 0, OPEN_EXISTING, &waits);
            FILE_DISPOSITION_INFO gone = {TRUE};
            if (h == INVALID_HANDLE_VALUE || !SetFileInformationByHandle(h, FileDispositionInfo, &gone, sizeof gone)) {
                fail("cannot remove", path);
            }
            CloseHandle(h);
            Sleep(hold);
            path_of(other, source, person, ".new");
            const HANDLE added = CreateFileA(other, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
            if (added == INVALID_HANDLE_VALUE || !write_all(added, text)) fail("cannot write", other);
            CloseHandle(added);
            path_of(path, source, person, ".vlt");
            if (!MoveFileExA(other, path, MOVEFILE_REPLACE_EXISTING)) fail("cannot add back", path);
            ++removals;
        } else if (rand() % 3 == 0) {
            printf("save p%02d %u %lu\n", person, version, hold);
            const HANDLE h = open_held(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS, &waits);
            if (h == INVALID_HANDLE_VALUE) fail("cannot save", path);
            rule(control, "mark", person, -1);
            const size_t half = strlen(text) / 2;
            Sleep(hold / 2);
            if (!write_some(h, text, half)) fail("cannot save", path);
            Sleep(hold - hold / 2);
            if (!write_some(h, text + half, strlen(text) - half)) fail("cannot save", path);
            rule(control, "mark", person, 0);
            CloseHandle(h);
            ++saves;
        } else {
            const HANDLE h = open_held(path, GENERIC_WRITE, 0, OPEN_EXISTING, &waits);
            if (h == INVALID_HANDLE_VALUE) fail("cannot hold", path);
            const ULONGLONG start = GetTickCount64();
            printf("hold p%02d %u %lu\n", person, version, hold);
            if (SetFilePointer(h, 0, NULL, FILE_BEGIN) != 0 || !SetEndOfFile(h) || !write_all(h, text)) {
                fail("cannot rewrite", path);
            }
            const ULONGLONG held = GetTickCount64() - start;
            if (held < hold) Sleep((DWORD)(hold - held));
            CloseHandle(h);
            ++holds;
        }
    }
    CloseHandle(control);
    printf("%u holds, %u saves letting readers in, %u removals, %u waits for a reader\n", holds, saves, removals,
           waits);
    return 0;
}
