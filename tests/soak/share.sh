# Sourced by the soak tests: fault shares (bench/latency-fs.c) and boards of version-tagged person files.
#
# A person file pNN.vlt of version V has the tag T = "pNN.V." followed by V % 17 x's in each of its
# listed fields (furigana, name, group, memo, telephone, IP address), so a torn or cut read shows as a
# line whose fields differ, and a tag of the wrong length as a cut inside one.

share_mounts=()

# share_mount FS SOURCE MOUNT DELAY_MS [OPTION...]: the share is ready when this returns.
share_mount() {
    local fs=$1 src=$2 mnt=$3 delay=$4
    shift 4
    mkdir -p "$mnt"
    "$fs" "$src" "$mnt" "$delay" "$@"
    share_mounts+=("$mnt")
}

share_unmount_all() {
    local mnt
    for mnt in "${share_mounts[@]}"; do
        fusermount3 -u "$mnt" 2>/dev/null || umount -l "$mnt" 2>/dev/null || true
    done
    share_mounts=()
}

# share_rule MOUNT LINE...: sets rules (see bench/latency-fs.c); in force when this returns.
share_rule() {
    local mnt=$1
    shift
    printf '%s\n' "$@" >"$mnt/.faults"
}

# share_counters MOUNT: the share's counters as one line, "busy N vanished N failed N held N".
share_counters() {
    tr '\n' ' ' <"$1/.faults"
}

# counter_of COUNTERS KIND: one count out of a share_counters line.
counter_of() {
    local words=($1) i
    for ((i = 0; i < ${#words[@]}; i += 2)); do
        [ "${words[i]}" != "$2" ] || { echo "${words[i + 1]}"; return; }
    done
    echo 0
}

tag_of() {  # ID VERSION
    local pad
    printf -v pad '%*s' $(($2 % 17)) ''
    echo "$1.$2.${pad// /x}"
}

# write_person DIR ID VERSION: the whole file in one write, as a saving client writes a small file.
write_person() {
    local t
    t=$(tag_of "$2" "$3")
    printf '%s\r\n' "$t" "$t" "$t" "$t" '' '' '' "$t" "$t" 0 >"$1/$2.vlt"
}

# The switches whose fields carry the tag, and what the command lists with them.
tagged_switches=(/F /K /N /G /B /I)
listing_of() {  # ID VERSION...
    local id=$1 t
    shift
    for v; do
        t=$(tag_of "$id" "$v")
        printf '%s,%s,%s,%s,%s,%s\r\n' "$id" "$t" "$t" "$t" "$t" "$t"
    done
}

# check_listing FILE REQUIRED_IDS: the lines of a listing that are no whole version of their person,
# a person listed twice, and a required person missing, one problem a line; nothing when all is well.
check_listing() {
    LC_ALL=C awk -v required="$2" '
        BEGIN { FS = ","; n = split(required, need, " ") }
        {
            line = $0
            sub(/\r$/, "", line)
            if ($0 !~ /\r$/ || split(line, f, ",") != 6) { print "torn line: " line; next }
            id = f[1]
            if (match(f[2], "^" id "\\.[0-9]+\\.x*$") == 0) { print "torn line: " line; next }
            split(f[2], parts, ".")
            if (length(parts[3]) != parts[2] % 17) { print "torn line: " line; next }
            for (i = 3; i <= 6; ++i) if (f[i] != f[2]) { print "torn line: " line; next }
            if (seen[id]++) print "listed twice: " id
        }
        END { for (i = 1; i <= n; ++i) if (!(need[i] in seen)) print "missing: " need[i] }
    ' "$1"
}

# The message of a person file that cannot be read, as the command writes it (code page 932).
unreadable_message() {  # PATH
    printf 'Veltoファイル(%s)を開けないか、またはアクセスできません\r\n' "$1" | iconv -f UTF-8 -t CP932
}

# A command's standard error for a report, in UTF-8.
readable() {
    iconv -f CP932 -t UTF-8 "$1" 2>/dev/null | tr -d '\r' || cat "$1"
}
