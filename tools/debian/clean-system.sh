# Sourced by tools/test-package.sh (as root): a clean Debian system (debootstrap
# --variant=minbase plus Xvfb and xdotool) made once per release and kept
# under $cache, and throwaway copies of it to install into.

# The first Debian mirror this machine's apt sources name for $release, in
# the one-line form (sources.list, *.list) or deb822 (*.sources).
debian_mirror() {
    local release=$1 file
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$file" ] || continue
        awk -v release="$release" '
            $1 == "deb" {
                i = 2
                if ($i ~ /^\[/) while ($i !~ /\]$/ && i < NF) i++
                if ($i ~ /\]$/) i++
                if ($(i + 1) == release) { print $i; exit }
            }' "$file"
    done
    for file in /etc/apt/sources.list.d/*.sources; do
        [ -f "$file" ] || continue
        awk -v release="$release" '
            BEGIN { RS = ""; FS = "\n" }
            {
                types = uris = suites = ""; enabled = "yes"
                for (i = 1; i <= NF; i++) {
                    if ($i ~ /^#/) continue
                    split($i, kv, ":[ \t]*")
                    value = substr($i, index($i, ":") + 1); gsub(/^[ \t]+|[ \t]+$/, "", value)
                    if (kv[1] == "Types") types = " " value " "
                    else if (kv[1] == "URIs") uris = value
                    else if (kv[1] == "Suites") suites = " " value " "
                    else if (kv[1] == "Enabled") enabled = value
                }
                if (enabled != "no" && types ~ / deb / && suites ~ (" " release " ")) {
                    split(uris, list, /[ \t]+/); print list[1]; exit
                }
            }' "$file"
    done | head -n 1
}

# make_clean_system RELEASE FOLDER: debootstraps FOLDER once (kept when it
# holds .complete); the packages the install downloads are kept in
# FOLDER.archives for the next run.
make_clean_system() {
    local release=$1 base=$2
    [ -f "$base/.complete" ] && return 0
    local mirror
    mirror=$(debian_mirror "$release")
    if [ -z "$mirror" ]; then
        echo "No Debian mirror for $release in this machine's apt sources" >&2
        return 1
    fi
    echo "Making a clean Debian $release system in $base from $mirror (once)..."
    remove_system "$base"
    mkdir -p "$(dirname "$base")"
    debootstrap --variant=minbase --include=xvfb,xdotool "$release" "$base" "$mirror" > "$base.log" 2>&1 ||
        { tail -n 20 "$base.log" >&2; return 1; }
    rm -rf "$base"/var/cache/apt/archives/*.deb "$base"/var/lib/apt/lists/*_*
    touch "$base/.complete"
}

# copy_system BASE ROOT: a fresh copy of the clean system to install into,
# with /proc and a private /tmp mounted (the device nodes are its own: the
# host's /dev is never mounted, so nothing done inside reaches it) and the
# apt downloads and lists of $cache kept between runs.
copy_system() {
    local base=$1 root=$2 release=$3
    remove_system "$root"
    cp -a "$base" "$root"
    mkdir -p "$cache/archives-$release/partial" "$cache/lists-$release/partial"
    mount -t proc proc "$root/proc"
    mount -t tmpfs tmpfs "$root/tmp"
    mount --bind "$cache/archives-$release" "$root/var/cache/apt/archives"
    mount --bind "$cache/lists-$release" "$root/var/lib/apt/lists"
}

# remove_system ROOT: ends the processes running in ROOT, unmounts what is
# mounted below it and deletes it; refuses to delete while a mount remains.
remove_system() {
    local root=$1 process point
    [ -e "$root" ] || return 0
    for process in /proc/[0-9]*; do
        if [ "$(readlink "$process/root" 2> /dev/null)" = "$root" ]; then kill -9 "${process#/proc/}" 2> /dev/null || true; fi
    done
    for point in $(awk -v root="$root" '$2 == root || index($2, root "/") == 1 { print $2 }' /proc/mounts | sort -r); do
        umount -l "$point"
    done
    if awk -v root="$root" '$2 == root || index($2, root "/") == 1 { found = 1 } END { exit !found }' /proc/mounts; then
        echo "still mounted below $root; not deleting it" >&2
        return 1
    fi
    rm -rf --one-file-system "$root"
}
