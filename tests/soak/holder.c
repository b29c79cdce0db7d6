// Holds person files the way the board's saving clients do: write access, no sharing, rewritten while held, one after another; some removed for a while and added back.
//
// Usage: holder SHARE SOURCE PERSONS TRANSIENT STOP SEED HOLD_MIN HOLD_MAX
// SHARE and SOURCE are the board's directory through the fault share and on its source directory,
// each ending with a backslash; the board's person files are p00.vlt ... (PERSONS of them). Until the
// file STOP exists, each turn picks a random person and for 30 to 80 ms (HOLD_MIN to HOLD_MAX):
// - holds its file open with write access and share mode 0 and writes its next version over it;
// - or, for one of the first TRANSIENT persons every other time, opens its file so too and removes it
//   through that handle, and adds the next version back afterwards. It is added under another name on
//   the source directory and renamed, so that no reader finds it half written and the share sees no
//   look-up of a missing name but the readers' own.
// A file that a reader has open is waited for, as a saving client retries. A version's fields all
// carry the tag "pNN.V." and V % 17 x's (tests/soak/share.sh). It writes a line as each hold or
// removal starts ("hold pNN MS" or "remove pNN MS", MS its length), and at the end what it did.
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
static HANDLE open_held(const char *path, DWORD access, unsigned *waits) {
    for (;;) {
        const HANDLE h = CreateFileA(path, access, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
        if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION) return h;
        ++*waits;
        Sleep(1);
    }
}

static BOOL write_all(HANDLE h, const char *text) {
    DWORD written = 0;
    return WriteFile(h, text, (DWORD)strlen(text), &written, NULL) && written == strlen(text);
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
    unsigned version = 0, holds = 0, removals = 0, waits = 0;
    char path[MAX_PATH], other[MAX_PATH], text[512];
    while (GetFileAttributesA(stop) == INVALID_FILE_ATTRIBUTES) {
        const int person = rand() % persons;
        const DWORD hold = (DWORD)(hold_min + rand() % hold_span);
        person_text(text, sizeof text, person, ++version);
        path_of(path, share, person, ".vlt");
        if (person < transient && rand() % 2 == 0) {
            printf("remove p%02d %lu\n", person, hold);
            const HANDLE h = open_held(path, GENERIC_WRITE | DELETE, &waits);
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
        } else {
            const HANDLE h = open_held(path, GENERIC_WRITE, &waits);
            if (h == INVALID_HANDLE_VALUE) fail("cannot hold", path);
            const ULONGLONG start = GetTickCount64();
            printf("hold p%02d %lu\n", person, hold);
            if (SetFilePointer(h, 0, NULL, FILE_BEGIN) != 0 || !SetEndOfFile(h) || !write_all(h, text)) {
                fail("cannot rewrite", path);
            }
            const ULONGLONG held = GetTickCount64() - start;
            if (held < hold) Sleep((DWORD)(hold - held));
            CloseHandle(h);
            ++holds;
        }
    }
    printf("%u holds, %u removals, %u waits for a reader\n", holds, removals, waits);
    return 0;
}
