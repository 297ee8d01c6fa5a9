#!/usr/bin/env bash
# PRAXO Sintegra: one script for a fresh Debian 12 machine.
#   ./praxo.sh test    installs what is missing, builds everything and runs every test
#   ./praxo.sh demo    installs, builds, creates the demo database and exports its month
#   ./praxo.sh janela  installs, builds and opens the main window on the demo database
#   ./praxo.sh captura installs, builds and draws the window after the demo export into docs/
#   ./praxo.sh deps    only installs what is missing (run as root)
#   ./praxo.sh build   only configures and builds
#   ./praxo.sh bench   builds and runs the benchmarks
set -euo pipefail

cd "$(dirname "$0")"
RAIZ=$(pwd)
BUILD=${BUILD:-$RAIZ/build}

PACOTES=(g++ cmake make libgtest-dev libgmock-dev libbenchmark-dev qt6-base-dev
         libgl-dev firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-utils
         firebird3.0-server libssl-dev locales)

faltando() {
  local falta=()
  for p in "${PACOTES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || falta+=("$p")
  done
  echo "${falta[@]:-}"
}

deps() {
  local falta
  falta=$(faltando)
  if [ -n "$falta" ]; then
    if [ "$(id -u)" != 0 ]; then
      echo "Faltam pacotes ($falta); rode como root: sudo $0 deps" >&2
      exit 1
    fi
    echo "Instalando: $falta"
    # The server package's only question is the SYSDBA password of a first install.
    echo 'firebird3.0-server shared/firebird/sysdba_password/first_install password masterkey' |
      debconf-set-selections
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $falta >/dev/null
  fi
  # The tests prove that a decimal comma in the machine's locale changes nothing.
  if ! locale -a 2>/dev/null | grep -qi '^pt_BR\.utf-\?8$'; then
    if [ "$(id -u)" = 0 ]; then
      sed -i 's/^# *pt_BR.UTF-8 UTF-8/pt_BR.UTF-8 UTF-8/' /etc/locale.gen
      grep -q '^pt_BR.UTF-8 UTF-8' /etc/locale.gen || echo 'pt_BR.UTF-8 UTF-8' >> /etc/locale.gen
      locale-gen >/dev/null
    else
      echo "Aviso: locale pt_BR.UTF-8 ausente; o teste de locale falhará." >&2
    fi
  fi
}

build() {
  cmake -S "$RAIZ" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$BUILD" -j"$(nproc)"
}

testa() {
  deps
  build
  cd "$BUILD"
  ctest --output-on-failure -j"$(nproc)" --timeout 600
}

demo() {
  deps
  build
  local bin=$BUILD/bin
  # A fresh demo database each time: what earlier tries typed into it is gone.
  "$bin/CriaBanco" --substitui "$bin/PRAXO_DEMO.FDB" "$RAIZ/data/sql/esquema.sql" "$RAIZ/data/sql/demo.sql"
  echo
  echo "Exportando a empresa 1, março de 2010 (itens de cupom, inventário e registros 88):"
  "$bin/ExportaSintegra" --empresa 1 --mes 3 --ano 2010 --itens-cupom --inventario --reg88
}

janela() {
  deps
  build
  if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
    echo "Sem tela para a janela (DISPLAY vazio). Em um servidor, por exemplo:" >&2
    echo "  QT_QPA_PLATFORM=vnc:size=1024x768 $0 janela   # e um cliente VNC na porta 5900" >&2
    exit 1
  fi
  # The build made the demo database beside the program; the window opens on it.
  exec "$BUILD/bin/PRAXOSintegra" "$@"
}

captura() {
  deps
  build
  "$BUILD/bin/CriaBanco" --substitui "$BUILD/bin/PRAXO_DEMO.FDB" "$RAIZ/data/sql/esquema.sql" "$RAIZ/data/sql/demo.sql"
  mkdir -p "$RAIZ/docs"
  "$BUILD/bin/CapturaJanela" "$RAIZ/docs/janela-principal.png"
  echo "docs/janela-principal.png"
}

bench() {
  deps
  build
  echo "== O gravador (registros por segundo: items_per_second)"
  "$BUILD/bin/BenchSintegra"
  echo
  echo "== Exportação de um mês grande"
  "$BUILD/bin/BenchExportacao"
  echo
  echo "== A janela no mesmo mês"
  "$BUILD/bin/BenchJanela"
  echo
  echo "== Verificação de um arquivo de um milhão de linhas"
  "$BUILD/bin/BenchVerificacao"
}

case "${1:-}" in
  deps) deps ;;
  build) deps; build ;;
  test) testa ;;
  bench) bench ;;
  demo) demo ;;
  janela) shift; janela "$@" ;;
  captura) captura ;;
  *) sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'; exit 2 ;;
esac
