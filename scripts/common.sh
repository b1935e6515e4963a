# shellcheck shell=bash
# Shared by scripts/demo, scripts/test and scripts/test-asan: the Debian packages the project needs,
# their installation when something is missing, and the build with CMake and Ninja.

KORVANIS_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$KORVANIS_ROOT" || exit 1

# Compiler, build tools, Qt 6, the Firebird client headers and library, the embedded engine, the
# server (the tests start a private one) and isql-fb; zint for the labels' barcodes, a font for the
# printed reports, poppler's pdftotext (the tests read the reports' PDF files back with it) and Qt's
# Portuguese translations (print and preview dialogs); the XML Security Library with its OpenSSL back
# end for the NF-e signatures, and the xmlsec1 and openssl tools (the tests sign their NF-e samples
# with a throw-away certificate); dpkg-dev (dpkg-shlibdeps) and lintian for the workstation's Debian
# package and its tests, and appstream (appstreamcli checks the package's AppStream file).
# shellcheck disable=SC2034 # used by the scripts that source this file
KORVANIS_PACKAGES=(cmake ninja-build g++ qt6-base-dev libgl-dev firebird-dev firebird3.0-server-core
    firebird3.0-server firebird3.0-utils libzint-dev fonts-dejavu-core poppler-utils qt6-translations-l10n
    libxmlsec1-dev xmlsec1 openssl dpkg-dev lintian appstream)

die() {
    echo "$(basename "$0"): $*" >&2
    exit 1
}

missing_packages() {
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q '^install ok installed$'; then
            echo "$package"
        fi
    done
}

# Installs the packages that are not installed yet; does nothing when all are there.
install_packages() {
    local missing
    mapfile -t missing < <(missing_packages "$@")
    [ ${#missing[@]} -eq 0 ] && return 0
    command -v apt-get >/dev/null || die "apt-get não encontrado; instale à mão: ${missing[*]}"
    local as_root=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || die "sudo não encontrado; como root, instale: ${missing[*]}"
        as_root=(sudo)
    fi
    echo "Instalando pacotes do Debian: ${missing[*]}"
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    # The server package may start the system's Firebird service on port 3050; the tests never use
    # it (they start their own server on a port of their own), so that is harmless.
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# How many builds and tests run at once: every core (KORVANIS_JOBS overrides). The tests that share
# the private server's databases hold a resource lock, so the rest run beside them.
korvanis_jobs() {
    echo "${KORVANIS_JOBS:-$(nproc)}"
}

# Configures and builds with one of the presets of CMakePresets.json (default: build/).
build_preset() {
    local preset=$1
    cmake --preset "$preset"
    cmake --build --preset "$preset" -j "$(korvanis_jobs)"
}

# A process that is not root may not write the embedded engine's default lock folder (it belongs to
# the system's Firebird service); the build folder's own lock folder is used instead.
use_writable_lock_folder() {
    local build_dir=$1
    if [ -z "${FIREBIRD_LOCK:-}" ] && [ -e /tmp/firebird ] && [ ! -w /tmp/firebird ]; then
        export FIREBIRD_LOCK="$build_dir/firebird-lock"
        mkdir -p "$FIREBIRD_LOCK"
    fi
}
