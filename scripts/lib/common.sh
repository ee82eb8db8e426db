# Shared by the README's commands: install what is missing, configure, build.
# Sourced, not run.

LUMIKOR_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# Debian 12 packages that building and running the two programs needs:
# scripts/run installs only these, so a first run does not wait for the test,
# fuzz and package tools.
LUMIKOR_RUN_PACKAGES=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev libgl-dev libcli11-dev nlohmann-json3-dev libpng-dev
)

# Everything the tests, benchmarks, fuzzers and the package need besides.
LUMIKOR_PACKAGES=(
    "${LUMIKOR_RUN_PACKAGES[@]}"
    clang libclang-rt-14-dev clang-format git
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth fonts-arphic-uming x11-utils xdotool openbox
    dpkg-dev file desktop-file-utils appstream shared-mime-info xdg-utils libglib2.0-bin
    bubblewrap
)

# Installs the packages that are not installed yet; apt-get update runs only
# when something is missing.
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# configure_and_build BUILD_DIR [cmake options...]
configure_and_build() {
    local dir=$1
    shift
    cmake -S "$LUMIKOR_ROOT" -B "$dir" -G Ninja "$@"
    cmake --build "$dir"
}
