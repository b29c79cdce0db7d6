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

# read_counters MOUNT ARRAY: the share's counters into the caller's associative array, by kind.
read_counters() {
    local -n into=$2
    local kind count
    while read -r kind count; do into[$kind]=$count; done <"$1/.faults"
}

tag_of() {  # VARIABLE ID VERSION
    local pad
    printf -v pad '%*s' $(($3 % 17)) ''
    printf -v "$1" '%s.%s.%s' "$2" "$3" "${pad// /x}"
}

person_text() {  # VARIABLE ID VERSION
    local t
    tag_of t "$2" "$3"
    printf -v "$1" '%s\r\n' "$t" "$t" "$t" "$t" '' '' '' "$t" "$t" 0
}

# write_person DIR ID VERSION: a new file, or one emptied and written again, in one write.
write_person() {
    local text
    person_text text "$2" "$3"
    printf '%s' "$text" >"$1/$2.vlt"
}

# rewrite_person DIR ID VERSION: written over in place and then cut to its length, so that a reader
# at any moment finds the old version, the new one, or the new one followed by the old one's last
# lines, which fall after the tenth field and are never listed; never an empty or a cut file, which a
# reader could not tell from a whole one.
rewrite_person() {
    local text
    person_text text "$2" "$3"
    printf '%s' "$text" 1<>"$1/$2.vlt"
    truncate -s "${#text}" "$1/$2.vlt"
}

# The switches whose fields carry the tag, and what the command lists with them.
tagged_switches=(/F /K /N /G /B /I)
listing_of() {  # ID VERSION...
    local id=$1 t
    shift
    for v; do
        tag_of t "$id" "$v"
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
