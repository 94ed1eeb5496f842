#!/usr/bin/env bash
# Fails when program code awaits where GCC 12 miscompiles coroutines: a co_await inside a
# condition or beside && and ||, or on a call that builds a temporary with a destructor
# (braces, std::string, QString). Allowed: a statement of its own, the initialiser of a
# named local, right after co_return.
set -euo pipefail
cd "${1:?the source folder}"
folders=$(find . -mindepth 1 -maxdepth 1 -type d ! -name '.*' ! -name 'build*' ! -name tests ! -name bench ! -name fuzz -printf '%f\n')
prefix='^[^:]+:[0-9]+:'
statement='[[:space:]]*(co_return )?co_await [^;]*;[[:space:]]*$'
named='[[:space:]]*((const )?[A-Za-z_][A-Za-z0-9_:<>, ]* )?[A-Za-z_][A-Za-z0-9_]* = co_await [^;]*;[[:space:]]*$'
status=0
found=$(grep -rnE --include='*.cpp' --include='*.h' 'co_await' $folders \
          | grep -vE "${prefix}[[:space:]]*//" | grep -vE "${prefix}(${statement}|${named})" || true)
if [ -n "$found" ]; then
  echo "co_await where GCC 12 miscompiles it (await into a named local first):"
  echo "$found"
  status=1
fi
found=$(grep -rnE --include='*.cpp' --include='*.h' 'co_await [^;]*(\{|std::string\(|QString)' $folders || true)
if [ -n "$found" ]; then
  echo "co_await on a call that builds a temporary with a destructor (name the awaiter first):"
  echo "$found"
  status=1
fi
exit $status
