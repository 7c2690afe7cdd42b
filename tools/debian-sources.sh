# Shared by the cross builds (sourced, not run): installing missing Debian
# packages and fetching Debian's source packages of the libraries they build.

# Installs the named Debian packages that are not installed yet.
install_missing_packages() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# fetch_debian_sources FOLDER SOURCE-PACKAGE...: downloads and unpacks the
# source packages of the release this machine runs into FOLDER/deps-src,
# through a private apt configuration in FOLDER/apt (the machine's sources
# stay as they are). Afterwards `debian_source NAME` prints a package's
# unpacked folder.
fetch_debian_sources() {
    local out=$1
    shift
    rm -rf "$out/deps-src"
    mkdir -p "$out/apt/lists/partial" "$out/apt/cache/archives/partial" "$out/apt/sources.list.d" "$out/deps-src"
    local codename
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian $codename main" \
        > "$out/apt/sources.list"
    local apt_options=(-o "Dir::Etc::SourceList=$out/apt/sources.list" -o "Dir::Etc::SourceParts=$out/apt/sources.list.d"
                       -o "Dir::State::Lists=$out/apt/lists" -o "Dir::Cache=$out/apt/cache" -o "APT::Sandbox::User=root")
    apt-get "${apt_options[@]}" update -qq
    (cd "$out/deps-src" && apt-get "${apt_options[@]}" source --download-only "$@" > /dev/null)
    local dsc
    for dsc in "$out"/deps-src/*.dsc; do
        (cd "$out/deps-src" && dpkg-source --no-check -x "$(basename "$dsc")" > /dev/null)
    done
    debian_sources_folder=$out/deps-src
}

debian_source() { find "$debian_sources_folder" -maxdepth 1 -type d -name "$1-*" | head -n 1; }
