#!/usr/bin/env bash
# The embedded engine works for a normal user, not only root: creates and
# fills a database as user nobody. Without root there is no other user to be.
#   usuario-comum.sh CRIABANCO SQL_DIR
set -euo pipefail
criabanco=$1
sql=$2
if [ "$(id -u)" != 0 ]; then
  echo "Sem root: o teste roda como o próprio usuário."
  exec "$criabanco" --substitui "$(mktemp -d)/comum.fdb" "$sql/esquema.sql"
fi
pasta=$(mktemp -d)
trap 'rm -rf "$pasta"' EXIT
# The tool and the scripts where nobody can reach them, wherever the build is.
cp "$criabanco" "$sql/esquema.sql" "$sql/demo.sql" "$pasta/"
chmod 777 "$pasta"
chmod a+rx "$pasta"/*
unset FIREBIRD_LOCK
setpriv --reuid=65534 --regid=65534 --clear-groups \
  "$pasta/$(basename "$criabanco")" "$pasta/comum.fdb" "$pasta/esquema.sql" "$pasta/demo.sql"
test -s "$pasta/comum.fdb"
echo "Banco criado pelo usuário nobody: $(stat -c %U "$pasta/comum.fdb")"
