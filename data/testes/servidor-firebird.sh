#!/usr/bin/env bash
# Starts and stops a Firebird 3 server on loopback for the tests of the
# server path, without systemd.
#   servidor-firebird.sh inicia BUILD_DIR CRIABANCO SQL_DIR
#   servidor-firebird.sh para BUILD_DIR
# "inicia" writes BUILD_DIR/testes/servidor.txt with the connection string of a
# database the server owns; without root it starts nothing and writes nothing,
# and the server tests skip themselves.
set -euo pipefail

acao=$1
build=$2
estado=$build/testes/servidor.txt
pidfile=/run/firebird3.0/praxo-teste.pid
pasta=/var/lib/firebird/3.0/data
banco=$pasta/praxo-teste.fdb

porta_aberta() { (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null; }

para() {
  if [ -f "$pidfile" ]; then
    pid=$(cat "$pidfile")
    kill -TERM "$pid" 2>/dev/null || true
    for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null || true
    rm -f "$pidfile"
  fi
  rm -f "$banco" "$estado"
}

case "$acao" in
  inicia)
    criabanco=$3
    sql=$4
    rm -f "$estado"
    mkdir -p "$build/testes"
    if [ "$(id -u)" != 0 ]; then
      echo "Sem root: o servidor Firebird não é iniciado e os testes do servidor são pulados."
      exit 0
    fi
    if [ ! -x /usr/sbin/firebird ]; then
      echo "firebird3.0-server não está instalado (./praxo.sh deps instala)." >&2
      exit 1
    fi
    para
    if porta_aberta; then
      echo "A porta 3050 já está em uso por outro servidor." >&2
      exit 1
    fi
    # The user the program connects as, written into the security database
    # through the embedded engine while no server holds it.
    echo "CREATE OR ALTER USER PRAXO PASSWORD 'varelomi'; GRANT CREATE DATABASE TO USER PRAXO; COMMIT;" |
      FIREBIRD_LOCK=/tmp/firebird isql-fb -q -user SYSDBA /var/lib/firebird/3.0/system/security3.fdb
    mkdir -p /run/firebird3.0 "$pasta"
    chown firebird:firebird /run/firebird3.0 "$pasta"
    start-stop-daemon --start --background --make-pidfile --pidfile "$pidfile" \
      --chuid firebird:firebird --exec /usr/sbin/firebird
    for _ in $(seq 1 100); do porta_aberta && break; sleep 0.1; done
    porta_aberta || { echo "O servidor Firebird não abriu a porta 3050." >&2; para; exit 1; }
    conexao="localhost/3050:$banco"
    "$criabanco" --usuario PRAXO --senha varelomi "$conexao" "$sql/esquema.sql" "$sql/demo.sql"
    echo "$conexao" > "$estado"
    echo "Servidor Firebird no ar (pid $(cat "$pidfile")), banco $conexao"
    ;;
  para)
    para
    ;;
  *)
    echo "uso: $0 inicia|para BUILD_DIR ..." >&2
    exit 2
    ;;
esac
