#!/usr/bin/env bash
# Fails when program code (not tests, benchmarks or fuzzers) runs an event loop anywhere
# but in a program's main: a nested loop runs other handlers under the code that waits.
set -euo pipefail
cd "${1:?the source folder}"
folders=$(find . -mindepth 1 -maxdepth 1 -type d ! -name '.*' ! -name 'build*' ! -name tests ! -name bench ! -name fuzz -printf '%f\n')
# Blocking waits and modal dialogs that spin a loop or emit signals from inside the caller.
forbidden='processEvents|QEventLoop|QMessageBox::(information|question|warning|critical|about)|QFileDialog::get|QInputDialog::get|QColorDialog::get|QFontDialog::get|waitFor(ReadyRead|BytesWritten|Connected|Disconnected|NewConnection|Started|Finished)|QThread::(sleep|msleep|usleep)'
status=0
if found=$(grep -rnE --include='*.cpp' --include='*.h' "$forbidden" $folders); then
  echo "Nested event loops or blocking waits in program code:"
  echo "$found"
  status=1
fi
# exec() only as the one loop of a program's main (and SQL queries, which are not loops).
if found=$(grep -rnE --include='*.cpp' --include='*.h' '\bexec\(\)' $folders \
             | grep -vE '(query|Query)\.exec\(\)|^(app/program_lifetime|service/main|setup_tool/main|simulator/sim_main)\.cpp:' \
             | grep -vE ':[0-9]+:\s*//'); then
  echo "exec() outside a program's main:"
  echo "$found"
  status=1
fi
exit $status
