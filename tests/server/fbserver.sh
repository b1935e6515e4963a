#!/usr/bin/env bash
# A private Firebird server for tests: its own root folder, configuration, security database, lock
# folder and port, bound to 127.0.0.1. Nothing of the system's Firebird configuration is touched and
# no root rights are needed.
#
#   fbserver.sh start DIR PORT   prepare DIR and start the server; returns once the port answers
#   fbserver.sh stop DIR [PORT]  stop the server started in DIR (by its process id)
#   fbserver.sh restart DIR      stop it and start it again on its port, keeping the databases
#   fbserver.sh freeze DIR       stop the server's process where it stands (it keeps its port, and
#                                the system still accepts connections for it, but nothing answers)
#   fbserver.sh thaw DIR         let a frozen server go on
#
# When PORT is taken (another test run on the same machine), the next free port of the 20 that follow
# is used; the port in use is written to DIR/port. Each start begins with no databases in DIR.
#
# The SYSDBA password is ISC_PASSWORD (default "korvtest"). The databases.conf of the server maps the
# names that the program composes from ServerAddress onto files in DIR:
#   C:\korvanis\dados\korvanis.bd      -> DIR/korvanis.fdb
#   C:\korvanis\interfac\korvanis.bd   -> DIR/interfac.fdb     (workstation code still empty)
#   C:\korvanis\interfac01\korvanis.bd -> DIR/interfac01.fdb   (workstation 01)
set -euo pipefail

FB_HOME=${FB_HOME:-/usr/lib/x86_64-linux-gnu/firebird/3.0}
FB_SERVER=${FB_SERVER:-/usr/sbin/firebird}
SYSTEM_SECURITY_DB=/var/lib/firebird/3.0/system/security3.fdb
SECURITY_SQL=/usr/share/firebird/3.0/security.sql

die() {
    echo "fbserver: $*" >&2
    exit 1
}

port_answers() {
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

write_configuration() {
    local root=$1 dir=$2 port=$3
    cat >"$root/firebird.conf" <<EOF
RemoteServicePort = $port
RemoteBindAddress = 127.0.0.1
DatabaseAccess = Full
ServerMode = Super
SecurityDatabase = $root/security3.fdb
EOF
    cat >"$root/databases.conf" <<EOF
security.db = $root/security3.fdb
C:\\korvanis\\dados\\korvanis.bd = $dir/korvanis.fdb
C:\\korvanis\\interfac\\korvanis.bd = $dir/interfac.fdb
C:\\korvanis\\interfac01\\korvanis.bd = $dir/interfac01.fdb
EOF
}

link_installation() {
    local root=$1 item
    for item in plugins lib UDF firebird.msg plugins.conf; do
        [ -e "$FB_HOME/$item" ] || die "$FB_HOME/$item não existe (pacote firebird3.0-server-core instalado?)"
        ln -sfn "$FB_HOME/$item" "$root/$item"
    done
    # The character-set module reads its configuration next to itself: a copy, so that it finds
    # this root and not the system's.
    rm -rf "$root/intl"
    cp -r "$FB_HOME/intl" "$root/intl"
}

# A security database of our own: a copy of the system's when it can be read, otherwise a new one
# made from the installation's script.
make_security_database() {
    local root=$1
    rm -f "$root/security3.fdb"
    if [ -r "$SYSTEM_SECURITY_DB" ]; then
        cp "$SYSTEM_SECURITY_DB" "$root/security3.fdb"
        chmod u+w "$root/security3.fdb"
        return
    fi
    [ -r "$SECURITY_SQL" ] || die "nem $SYSTEM_SECURITY_DB nem $SECURITY_SQL podem ser lidos"
    echo "create database '$root/security3.fdb';" | embedded_isql -q >/dev/null
    embedded_isql -user SYSDBA -i "$SECURITY_SQL" "$root/security3.fdb" >/dev/null
}

embedded_isql() {
    FIREBIRD="$ROOT" FIREBIRD_LOCK="$ROOT/lock" isql-fb "$@"
}

set_sysdba_password() {
    local root=$1 password=${ISC_PASSWORD:-korvtest}
    local quoted=${password//\'/\'\'}
    echo "create or alter user SYSDBA password '$quoted' using plugin Srp; commit;" |
        embedded_isql -q -user SYSDBA "$root/security3.fdb" >/dev/null
}

first_free_port() {
    local port
    for port in $(seq "$1" $(($1 + 20))); do
        if ! port_answers "$port"; then
            echo "$port"
            return 0
        fi
    done
    return 1
}

start() {
    local dir=$1 port
    command -v isql-fb >/dev/null || die "isql-fb não encontrado (pacote firebird3.0-utils)"
    [ -x "$FB_SERVER" ] || die "$FB_SERVER não encontrado (pacote firebird3.0-server)"
    if [ -f "$ROOT/firebird.pid" ] && kill -0 "$(cat "$ROOT/firebird.pid")" 2>/dev/null; then
        die "já existe um servidor rodando em $dir"
    fi
    port=$(first_free_port "$2") || die "nenhuma porta livre entre $2 e $(($2 + 20))"

    mkdir -p "$dir" "$ROOT/lock"
    rm -f "$dir"/*.fdb "$dir/port"
    write_configuration "$ROOT" "$dir" "$port"
    link_installation "$ROOT"
    make_security_database "$ROOT"
    set_sysdba_password "$ROOT"

    launch "$dir" "$port"
}

# Starts the server of a prepared DIR on PORT and waits until the port answers.
launch() {
    local dir=$1 port=$2
    FIREBIRD="$ROOT" FIREBIRD_LOCK="$ROOT/lock" setsid "$FB_SERVER" >"$ROOT/server.out" 2>&1 </dev/null &
    local pid=$!
    echo "$pid" >"$ROOT/firebird.pid"

    local _
    for _ in $(seq 1 100); do
        if ! kill -0 "$pid" 2>/dev/null; then
            cat "$ROOT/server.out" "$ROOT/firebird.log" 2>/dev/null >&2 || true
            rm -f "$ROOT/firebird.pid"
            die "o servidor terminou ao iniciar"
        fi
        if port_answers "$port"; then
            echo "$port" >"$dir/port"
            echo "fbserver: servidor $pid atendendo em 127.0.0.1:$port (pasta $dir)"
            return 0
        fi
        sleep 0.2
    done
    stop "$dir"
    die "o servidor não atendeu na porta $port"
}

stop() {
    local dir=$1 pid _
    [ -f "$ROOT/firebird.pid" ] || {
        echo "fbserver: nenhum servidor registrado em $dir"
        return 0
    }
    pid=$(cat "$ROOT/firebird.pid")
    if kill -0 "$pid" 2>/dev/null; then
        kill -CONT "$pid" 2>/dev/null || true # a frozen server would not hear the request
        kill -TERM "$pid"
        for _ in $(seq 1 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.2
        done
        if kill -0 "$pid" 2>/dev/null; then
            kill -KILL "$pid" 2>/dev/null || true
        fi
    fi
    rm -f "$ROOT/firebird.pid"
    echo "fbserver: servidor $pid parado"
}

# Stops the server of DIR and starts it again on the same port, keeping its databases: what a
# workstation sees when the server restarts.
restart() {
    local dir=$1 port
    [ -f "$dir/port" ] || die "nenhum servidor preparado em $dir"
    port=$(cat "$dir/port")
    stop "$dir"
    launch "$dir" "$port"
}

# Sends a signal to the server of DIR.
signal_server() {
    local dir=$1 sig=$2
    [ -f "$ROOT/firebird.pid" ] || die "nenhum servidor registrado em $dir"
    kill "-$sig" "$(cat "$ROOT/firebird.pid")"
}

[ $# -ge 2 ] || die "uso: fbserver.sh start DIR PORT | stop DIR [PORT] | restart DIR | freeze DIR | thaw DIR"
command=$1
DIR_ARG=$(realpath -m "$2")
ROOT="$DIR_ARG/root"
case "$command" in
start)
    [ $# -eq 3 ] || die "uso: fbserver.sh start DIR PORT"
    [[ $3 =~ ^[0-9]+$ ]] || die "porta inválida: $3"
    start "$DIR_ARG" "$3"
    ;;
stop) stop "$DIR_ARG" ;;
restart) restart "$DIR_ARG" ;;
freeze) signal_server "$DIR_ARG" STOP ;;
thaw) signal_server "$DIR_ARG" CONT ;;
*) die "comando desconhecido: $command" ;;
esac
