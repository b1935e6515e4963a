#!/usr/bin/env bash
# The workstation's Debian package, as a technician receives it.
#
#   package-test.sh build BUILD_DIR     makes the package (cpack) from the programs already built
#   package-test.sh contents BUILD_DIR  checks what the package installs and where its links point,
#                                       that both programs print the package's version, the AppStream
#                                       file and the completion; unpacks it into a temporary folder,
#                                       makes a demo pharmacy with the unpacked korvanis-admin, backs
#                                       it up, deletes the shared database, restores it, and starts
#                                       the unpacked window (offscreen, through its /usr/bin link)
#                                       until the login panel shows
#   package-test.sh lintian BUILD_DIR   lintian finds no error and no warning in it
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
    expect_file "$root" /usr/share/man/man1/korvanis.1.gz
    expect_file "$root" /usr/share/man/man1/korvanis-admin.1.gz
    expect_file "$root" /usr/share/bash-completion/completions/korvanis-admin
    expect_file "$root" /usr/share/metainfo/br.com.korvanis.compras.metainfo.xml
    expect_file "$root" /usr/lib/systemd/user/korvanis-backup.service
    expect_file "$root" /usr/lib/systemd/user/korvanis-backup.timer
    expect_link "$root" /usr/lib/korvanis/KORVANIS.INI /etc/korvanis/KORVANIS.INI
    expect_link "$root" /usr/bin/korvanis ../lib/korvanis/korvanis
    expect_link "$root" /usr/bin/korvanis-admin ../lib/korvanis/korvanis-admin
    grep -qx 'Name=Korvanis Compras' "$root/usr/share/applications/korvanis-compras.desktop" ||
        fail "a entrada do menu não se chama Korvanis Compras"
    # The packaged settings file selects the embedded databases.
    grep -q $'^IP DO SERVIDOR CENTRAL\.*: *\r$' "$root/etc/korvanis/KORVANIS.INI" ||
        fail "o KORVANIS.INI do pacote não é o de uma estação com bancos locais"
}

# Both programs print the version the package carries, without a display or a settings file.
check_versions() {
    local deb=$1 root=$2 version program
    version=$(dpkg-deb -f "$deb" Version)
    for program in korvanis korvanis-admin; do
        env -u DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/$program" --version | grep -qx "$program (Korvanis Compras) $version" ||
            fail "$program --version não mostra a versão $version do pacote"
    done
}

check_metainfo() {
    need appstreamcli appstream
    appstreamcli validate --no-net "$1/usr/share/metainfo/br.com.korvanis.compras.metainfo.xml" ||
        fail "appstreamcli recusa o arquivo AppStream"
}

# The completion's answers for a command line whose last word is being typed. The two helpers of
# the bash-completion package it calls are given plain stand-ins.
complete_words() {
    local script=$1
    shift
    bash -c '
        _init_completion() { words=("${COMP_WORDS[@]}"); cword=$COMP_CWORD; cur=${words[cword]}; prev=${words[cword-1]}; }
        _filedir() { COMPREPLY=(ARQUIVOS); }
        complete() { :; }
        . "$0"
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
        _korvanis_admin
        echo "${COMPREPLY[*]}"' "$script" "$@"
}

check_completion() {
    local script=$1/usr/share/bash-completion/completions/korvanis-admin
    [ "$(complete_words "$script" korvanis-admin ba)" = backup ] || fail "a completação não completa \"ba\""
    [ "$(complete_words "$script" korvanis-admin backup --k)" = --keep ] ||
        fail "a completação não completa \"backup --k\""
    [ "$(complete_words "$script" korvanis-admin restore --to x --r)" = --replace ] ||
        fail "a completação não completa \"restore --r\""
    [ "$(complete_words "$script" korvanis-admin backup --to '')" = ARQUIVOS ] ||
        fail "a completação não oferece pastas depois de --to"
}

# A pharmacy that loses its shared database gets it back from the backup.
backup_and_restore() {
    local root=$1 backup
    "$root/usr/bin/korvanis-admin" backup || fail "korvanis-admin backup falhou"
    backup=$(find "$KORVANIS_DIR/backups" -name 'dados-*.fbk' | head -n 1)
    [ -n "$backup" ] || fail "korvanis-admin backup não gravou o backup do banco compartilhado"
    rm "$KORVANIS_DIR/dados/korvanis.bd"
    "$root/usr/bin/korvanis-admin" restore "$backup" --to "$KORVANIS_DIR/dados/korvanis.bd" ||
        fail "korvanis-admin restore falhou"
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
    check_versions "$deb" "$root"
    check_metainfo "$root"
    check_completion "$root"

    # The link to /etc points outside the unpacked tree: there it points at the unpacked conffile.
    ln -sfn "$root/etc/korvanis/KORVANIS.INI" "$root/usr/lib/korvanis/KORVANIS.INI"
    export KORVANIS_DIR=$work/produto
    "$root/usr/bin/korvanis-admin" demo || fail "korvanis-admin demo falhou"
    [ -f "$KORVANIS_DIR/dados/korvanis.bd" ] || fail "korvanis-admin demo não criou o banco compartilhado"
    backup_and_restore "$root"
    start_window_until_login "$root" "$work/janela.log"
    echo "O painel de login apareceu."
}

run_lintian() {
    need lintian lintian
    local deb
    deb=$(the_package)
    lintian --fail-on error,warning "$deb" || fail "lintian encontrou erros ou avisos em $deb"
}

case "$step" in
build) build ;;
contents) contents ;;
lintian) run_lintian ;;
*) fail "passo desconhecido: $step" ;;
esac
