#!/usr/bin/env bash
# The workstation's Debian package, as a technician receives it.
#
#   package-test.sh build BUILD_DIR     makes the package (cpack) from the programs already built
#   package-test.sh contents BUILD_DIR  checks what the package installs and where its links point,
#                                       unpacks it into a temporary folder, makes a demo pharmacy with
#                                       the unpacked korvanis-admin and starts the unpacked window
#                                       (offscreen, through its /usr/bin link) until the login panel
#                                       shows
#   package-test.sh lintian BUILD_DIR   lintian finds no error in it
#
# Exit status 77 (skipped) only when the tool the step needs is not installed.
set -euo pipefail

SKIP=77
fail() {
    echo "FALHOU: $*" >&2
    exit 1
}
need() {
    command -v "$1" >/dev/null || {
        echo "$1 não encontrado (pacote $2): teste ignorado" >&2
        exit $SKIP
    }
}

[ $# -eq 2 ] || fail "uso: package-test.sh build|contents|lintian BUILD_DIR"
step=$1
build_dir=$(realpath "$2")

the_package() {
    local found=("$build_dir"/korvanis-compras_*.deb)
    [ -f "${found[0]}" ] || fail "nenhum pacote em $build_dir (o passo build rodou?)"
    [ ${#found[@]} -eq 1 ] || fail "mais de um pacote em $build_dir: ${found[*]}"
    echo "${found[0]}"
}

build() {
    need dpkg-deb dpkg
    need dpkg-shlibdeps dpkg-dev
    rm -f "$build_dir"/korvanis-compras_*.deb
    (cd "$build_dir" && cpack --config CPackConfig.cmake -G DEB) || fail "cpack não fez o pacote"
    the_package >/dev/null
}

expect_link() {
    local root=$1 path=$2 target=$3
    [ -L "$root$path" ] || fail "$path não é um link"
    [ "$(readlink "$root$path")" = "$target" ] || fail "$path aponta para $(readlink "$root$path"), não para $target"
}

expect_file() {
    [ -f "$1$2" ] || fail "o pacote não instala $2"
}

check_control() {
    local deb=$1 depends
    depends=$(dpkg-deb -f "$deb" Depends)
    echo "Depends: $depends"
    # From the binaries (shlibdeps): the C library, Qt and the Firebird client; named by hand: the
    # embedded engine.
    local package
    for package in libc6 libqt6widgets6 libfbclient2 firebird3.0-server-core; do
        [[ ", $depends," == *", $package"[\ ,]* ]] || fail "Depends não tem $package"
    done
    dpkg-deb -I "$deb" conffiles | grep -qx /etc/korvanis/KORVANIS.INI ||
        fail "/etc/korvanis/KORVANIS.INI não está nos conffiles"
}

check_tree() {
    local root=$1
    expect_file "$root" /usr/lib/korvanis/korvanis
    expect_file "$root" /usr/lib/korvanis/korvanis-admin
    expect_file "$root" /etc/korvanis/KORVANIS.INI
    expect_file "$root" /usr/share/applications/korvanis-compras.desktop
    expect_file "$root" /usr/share/icons/hicolor/scalable/apps/korvanis-compras.svg
    expect_file "$root" /usr/share/doc/korvanis-compras/README.md
    expect_file "$root" /usr/share/doc/korvanis-compras/copyright
    expect_link "$root" /usr/lib/korvanis/KORVANIS.INI /etc/korvanis/KORVANIS.INI
    expect_link "$root" /usr/bin/korvanis ../lib/korvanis/korvanis
    expect_link "$root" /usr/bin/korvanis-admin ../lib/korvanis/korvanis-admin
    grep -qx 'Name=Korvanis Compras' "$root/usr/share/applications/korvanis-compras.desktop" ||
        fail "a entrada do menu não se chama Korvanis Compras"
    # The packaged settings file selects the embedded databases.
    grep -q $'^IP DO SERVIDOR CENTRAL\.*: *\r$' "$root/etc/korvanis/KORVANIS.INI" ||
        fail "o KORVANIS.INI do pacote não é o de uma estação com bancos locais"
}

# Starts the unpacked window through its /usr/bin link and waits until it reports the login panel.
start_window_until_login() {
    local root=$1 log=$2
    QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="korvanis.startup.info=true" \
        "$root/usr/bin/korvanis" >"$log" 2>&1 &
    local pid=$! _
    for _ in $(seq 1 300); do
        if grep -q 'Identificação do Usuário' "$log"; then
            kill -TERM "$pid"
            wait "$pid" || true
            return 0
        fi
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid" || true
            cat "$log" >&2
            fail "a janela terminou antes de mostrar o painel de login"
        fi
        sleep 0.2
    done
    kill -KILL "$pid" 2>/dev/null || true
    cat "$log" >&2
    fail "o painel de login não apareceu em 60 s"
}

contents() {
    need dpkg-deb dpkg
    local deb root
    deb=$(the_package)
    check_control "$deb"
    # A short folder: the window only looks at the first 60 characters of its own folder.
    work=$(mktemp -d /tmp/korvanis-pkg.XXXXXX)
    trap 'rm -rf "${work:?}"' EXIT
    root=$work/root
    dpkg-deb -x "$deb" "$root"
    check_tree "$root"

    # The link to /etc points outside the unpacked tree: there it points at the unpacked conffile.
    ln -sfn "$root/etc/korvanis/KORVANIS.INI" "$root/usr/lib/korvanis/KORVANIS.INI"
    export KORVANIS_DIR=$work/produto
    "$root/usr/bin/korvanis-admin" demo || fail "korvanis-admin demo falhou"
    [ -f "$KORVANIS_DIR/dados/korvanis.bd" ] || fail "korvanis-admin demo não criou o banco compartilhado"
    start_window_until_login "$root" "$work/janela.log"
    echo "O painel de login apareceu."
}

run_lintian() {
    need lintian lintian
    local deb
    deb=$(the_package)
    lintian --fail-on error "$deb" || fail "lintian encontrou erros em $deb"
}

case "$step" in
build) build ;;
contents) contents ;;
lintian) run_lintian ;;
*) fail "passo desconhecido: $step" ;;
esac
