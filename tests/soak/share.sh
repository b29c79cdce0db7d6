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

# check_listing FILE REQUIRED_IDS [SAVED...]: the lines of a listing that are no whole saved version
# of their person, a person listed twice, and a required person missing, one problem a line; nothing
# when all is well. A line is whole when its fields all carry one tag of the right length; with SAVED
# files, whose lines' second and third fields name a person and a version that was saved ("save p03
# 17 ..."), its version must be one of them.
check_listing() {
    local listing=$1 required=$2
    shift 2
    LC_ALL=C awk -v required="$required" -v saved_files="$*" '
        BEGIN {
            FS = ","; n = split(required, need, " ")
            checked = split(saved_files, files, " ")
            for (i = 1; i <= checked; ++i) {
                while ((getline line < files[i]) > 0) {
                    split(line, w, " ")
                    saved[w[2] "." w[3]] = 1
                }
                close(files[i])
            }
        }
        {
            line = $0
            sub(/\r$/, "", line)
            if ($0 !~ /\r$/ || split(line, f, ",") != 6) { print "torn line: " line; next }
            id = f[1]
            if (match(f[2], "^" id "\\.[0-9]+\\.x*$") == 0) { print "torn line: " line; next }
            split(f[2], parts, ".")
            if (length(parts[3]) != parts[2] % 17) { print "torn line: " line; next }
            for (i = 3; i <= 6; ++i) if (f[i] != f[2]) { print "torn line: " line; next }
            if (checked && !((id "." parts[2]) in saved)) { print "never saved: " line; next }
            if (seen[id]++) print "listed twice: " id
        }
        END { for (i = 1; i <= n; ++i) if (!(need[i] in seen)) print "missing: " need[i] }
    ' "$listing"
}

# check_listing_catches WORK: false, with what it missed, unless check_listing finds fault with a
# person whose save is in progress (a name and nothing else, a first half) and with one whose fields
# are those of no saved version, and with nothing in a listing of whole saved versions.
check_listing_catches() {
    local work=$1 tag7 line problems ok=0
    tag_of tag7 p03 7
    printf 'save p03 0\nsave p03 5\n' >"$work/check-saved"
    listing_of p03 5 >"$work/check-good"
    problems=$(check_listing "$work/check-good" p03 "$work/check-saved")
    [ -z "$problems" ] || { echo "FAIL: check_listing finds fault with a whole saved version: $problems"; ok=1; }
    for line in 'p03,,' 'p03,,,,,' 'p03,p03.5.xxxxx,p03.5.xxxxx,,,' "p03,$tag7,$tag7,$tag7,$tag7,$tag7"; do
        printf '%s\r\n' "$line" >"$work/check-bad"
        problems=$(check_listing "$work/check-bad" p03 "$work/check-saved")
        [ -n "$problems" ] || { echo "FAIL: check_listing takes $line for a whole saved version"; ok=1; }
    done
    rm -f "$work"/check-*
    return "$ok"
}

# The message of a person file that cannot be read, as the command writes it (code page 932).
unreadable_message() {  # PATH
    printf 'Veltoファイル(%s)を開けないか、またはアクセスできません\r\n' "$1" | iconv -f UTF-8 -t CP932
}

# The message of a shared directory that cannot be listed, as the command writes it (code page 932).
unlistable_message() {  # DIR
    printf '共有ディレクトリ(%s)を読み取れないか、またはアクセスできません\r\n' "$1" | iconv -f UTF-8 -t CP932
}

# A command's standard error for a report, in UTF-8.
readable() {
    iconv -c -f CP932 -t UTF-8 "$1" 2>/dev/null | tr -d '\r'
}

# ---- Soaks ----

# The soaks' parameters (environment, defaults in brackets): SOAK_SECONDS [60] and SOAK_RUNS [30], the
# loop's least time and number of runs; SOAK_PERSONS [24]; SOAK_DELAY_MS [1], the share's round trip;
# SOAK_HOLD_MS ["30 80"], the shortest and longest hold; SOAK_MET ["1/3"], the share of runs that must
# meet a fault; SOAK_CACHED_SECONDS [10] and SOAK_CACHED_MET [10], the least time of the native loop
# behind a cache and the runs there that must meet a removal; HELD_BOUND [3], the command's bound in
# seconds on waiting for a busy file.
soak_parameters() {
    seconds=${SOAK_SECONDS:-60} min_runs=${SOAK_RUNS:-30} persons=${SOAK_PERSONS:-24} delay=${SOAK_DELAY_MS:-1}
    cached_seconds=${SOAK_CACHED_SECONDS:-10} cached_met=${SOAK_CACHED_MET:-10}
    read -r hold_min hold_max <<<"${SOAK_HOLD_MS:-30 80}"
    IFS=/ read -r met_num met_den <<<"${SOAK_MET:-1/3}"
    bound=${HELD_BOUND:-3}
    bound_ms=$(awk -v s="$bound" 'BEGIN { printf "%d", s * 1000 }')
    transient=$((persons / 4))
}

# soak_board DIR [SAVED]: the board at version 0, noted in SAVED (see check_listing); sets ids (every
# person) and stable (those never removed).
soak_board() {
    local i id
    ids=() stable=()
    for ((i = 0; i < persons; ++i)); do
        printf -v id 'p%02d' "$i"
        ids+=("$id")
        ((i < transient)) || stable+=("$id")
        write_person "$1" "$id" 0
        [ -z "${2:-}" ] || echo "save $id 0" >>"$2"
    done
}

ms_now() {
    local t=${EPOCHREALTIME/./}
    echo $((t / 1000))
}

# soak_loop MOUNT WORK "KIND..." "SAVED..." COMMAND...: runs COMMAND, which lists the board with
# tagged_switches, for SOAK_SECONDS and at least SOAK_RUNS times. A run fails unless it exits 0 with
# nothing on standard error and every line a whole version of its person that was saved (SAVED, see
# check_listing), every stable person listed; it met a fault when one of the share's counters KIND
# moved meanwhile. Sets soak_runs, soak_met, soak_met_by (runs that met each KIND), soak_failures,
# soak_seconds and soak_answers ("KIND COUNT ..."), and reports the first failures.
soak_loop() {
    local mnt=$1 work=$2 kinds=($3) saved=($4) status problems kind moved start
    shift 4
    local -A before after total
    soak_runs=0 soak_met=0 soak_failures=0
    declare -gA soak_met_by=()
    for kind in "${kinds[@]}"; do total[$kind]=0 soak_met_by[$kind]=0; done
    start=$(ms_now)
    while ((soak_runs < min_runs || $(ms_now) - start < seconds * 1000)); do
        read_counters "$mnt" before
        "$@" >"$work/out" 2>"$work/err"
        status=$?
        read_counters "$mnt" after
        ((++soak_runs))
        moved=""
        for kind in "${kinds[@]}"; do
            ((total[$kind] += after[$kind] - before[$kind]))
            ((after[$kind] == before[$kind])) || { moved+=" $((after[$kind] - before[$kind])) $kind"; ((++soak_met_by[$kind])); }
        done
        [ -z "$moved" ] || ((++soak_met))
        # A failing run lists nothing, so only a run that succeeds has its lines checked.
        problems=
        [ "$status" != 0 ] || problems=$(check_listing "$work/out" "${stable[*]}" "${saved[@]}")
        if [ "$status" != 0 ] || [ -s "$work/err" ] || [ -n "$problems" ]; then
            ((++soak_failures))
            if ((soak_failures <= 10)) || [ -z "$moved" ]; then
                echo "run $soak_runs failed (it met${moved:- no fault}): status $status $(readable "$work/err")"
                [ -z "$problems" ] || head -3 <<<"$problems" | sed 's/^/    /'
            fi
        fi
    done
    soak_seconds=$((($(ms_now) - start) / 1000))
    soak_answers=""
    for kind in "${kinds[@]}"; do soak_answers+="${total[$kind]} $kind (in ${soak_met_by[$kind]} runs), "; done
    soak_answers=${soak_answers%, }
}

# soak_verdict NAME WRITER_SUMMARY [LEAST_MET]: reports the loop; false when a run failed or too few
# met a fault: fewer than SOAK_MET of the runs, or than LEAST_MET runs when given.
soak_verdict() {
    echo "$1: $soak_runs runs in $soak_seconds s; $soak_met met a fault ($soak_answers answers);" \
        "$soak_failures failed; writer: $2"
    local ok=0
    if ((soak_failures > 0)); then
        echo "FAIL: $soak_failures of $soak_runs runs failed"
        ok=1
    fi
    if [ -n "${3:-}" ]; then
        if ((soak_met < $3)); then
            echo "FAIL: only $soak_met of $soak_runs runs met a fault, fewer than $3"
            ok=1
        fi
    elif ((soak_met * met_den < soak_runs * met_num)); then
        echo "FAIL: only $soak_met of $soak_runs runs met a fault, fewer than $met_num/$met_den"
        ok=1
    fi
    return "$ok"
}

# held_verdict STATUS TOOK_MS EXPECTED_MESSAGE_FILE OUT ERR: a file busy for good must end the run with
# status 2, its message and no listing, within the bound plus one second.
held_verdict() {
    echo "held for good: status $1 after $2 ms (bound $bound s + 1 s) $(readable "$5")"
    local ok=0
    if [ "$1" != 2 ] || [ -s "$4" ] || ! cmp -s "$5" "$3"; then
        echo "FAIL: a file busy for good must end the run with status 2 and its message, and no listing"
        ok=1
    fi
    if (($2 > bound_ms + 1000)); then
        echo "FAIL: the run took longer than the bound plus one second"
        ok=1
    fi
    return "$ok"
}
