#!/usr/bin/env bash
# Fails, naming each line, when a file under the engine folder includes a Qt header: the engine is
# what velorin-cli, the tests and the benchmarks share with the window, and it must stay Qt-free.
set -uo pipefail
folder=${1:?usage: engine_without_qt.sh ENGINE_FOLDER}
# Qt's headers are <QName>, <QtModule/...> or <qname.h>-style private ones under a Qt folder.
found=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*([<"](Q[A-Za-z]|Qt[A-Za-z]*/)|<q[a-z]+\.h>)' \
  --include='*.h' --include='*.cpp' --include='*.hpp' "$folder")
if [ -n "$found" ]; then
  echo "Qt headers included in the engine (it must build without Qt):" >&2
  echo "$found" >&2
  exit 1
fi
echo "The engine includes no Qt header."
