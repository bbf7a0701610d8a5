#!/bin/bash
# Installs what the tests need, builds the test configuration (AddressSanitizer
# and UndefinedBehaviorSanitizer), starts a Firebird server on 127.0.0.1 for the
# multi-seat tests, runs every test with CTest and stops the server again.
set -euo pipefail
cd "$(dirname "$0")/.."
SRC=$PWD
INICIO=$SECONDS
sh scripts/install-deps.sh scripts/deps-build.txt scripts/deps-test.txt
INSTALADO=$SECONDS

# Shared libraries and batched library sources keep the sanitizer build short
# as the code grows (the many test programs link in a moment).
BUILD=${QD_TEST_BUILD:-build-test}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="-O1 -g" \
      -DQD_SANITIZE=ON -DQD_WERROR=ON -DQD_SHARED_LIBS=ON -DQD_UNITY_BUILD=ON -UQD_PARTS >/dev/null
cmake --build "$BUILD"
CONSTRUIDO=$SECONDS

SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo
# The embedded engine's lock folder, private to this run. Every process the
# run starts inherits it, which is how the end of the run finds the ones that
# outlived it.
export FIREBIRD_LOCK=$(mktemp -d /tmp/qd-fblock.XXXXXX)
SERVER_PID=""

# Processes of this run still alive: those whose environment names this run's
# lock folder, but for this shell and what descends from it.
restantes() {
  local p q
  for p in $($SUDO grep -lzx "FIREBIRD_LOCK=$FIREBIRD_LOCK" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3); do
    q=$p
    while [ -n "$q" ] && [ "$q" != 0 ] && [ "$q" != 1 ] && [ "$q" != $$ ]; do
      q=$(ps -o ppid= -p "$q" 2>/dev/null | tr -d ' ')
    done
    # An empty parent is a process that has ended meanwhile (the pipe reading
    # this very list among them).
    if [ -n "$q" ] && [ "$q" != $$ ]; then echo "$p"; fi
  done
}

# A stop that never waits without end: the server is asked to stop, and
# killed when it has not stopped within 30 s; whatever else the run left
# running (an office instance, a test server) is named and killed, so that the
# run ends when its last stage does.
cleanup() {
  if [ -n "$SERVER_PID" ]; then
    $SUDO kill -TERM "$SERVER_PID" 2>/dev/null || true
    for _ in $(seq 1 150); do
      $SUDO kill -0 "$SERVER_PID" 2>/dev/null || break
      sleep 0.2
    done
    if $SUDO kill -0 "$SERVER_PID" 2>/dev/null; then
      echo "The Firebird server did not stop within 30 s: killed"
      $SUDO kill -KILL "$SERVER_PID" 2>/dev/null || true
    fi
  fi
  local quedan
  quedan=$(restantes)
  if [ -n "$quedan" ]; then
    echo "Left running by the run, now killed:"
    ps -o pid=,args= -p "$(echo $quedan | tr ' ' ,)" 2>/dev/null | cut -c1-160 || true
    $SUDO kill -KILL $quedan 2>/dev/null || true
  fi
  $SUDO rm -rf "$FIREBIRD_LOCK"
}
trap cleanup EXIT

# The Firebird server for the multi-seat tests. Debian's package does not start
# it here: the script starts it with SYSDBA's password set to the program's
# database password. A server already running is used with the password given
# in QD_FB_PASSWORD. The server runs in a session of its own, with no terminal
# and none of this run's output streams; SERVER_PID is the server itself, not
# a sudo in front of it.
export QD_FB_SERVER=127.0.0.1 QD_FB_USER=SYSDBA QD_FB_PASSWORD=${QD_FB_PASSWORD:-kelpstone}
if ! (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null; then
  echo "ALTER USER SYSDBA PASSWORD '$QD_FB_PASSWORD';" | \
    $SUDO env FIREBIRD_LOCK="$FIREBIRD_LOCK" isql-fb -q -user SYSDBA /var/lib/firebird/3.0/system/security3.fdb
  $SUDO env FIREBIRD_LOCK="$FIREBIRD_LOCK" setsid sh -c 'echo $$ > "$1"; exec /usr/sbin/firebird' sh \
    "$FIREBIRD_LOCK/server.pid" </dev/null >/tmp/qd-firebird-server.log 2>&1 &
  for _ in $(seq 1 50); do
    (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null && break
    sleep 0.2
  done
  # Written before the server itself starts.
  SERVER_PID=$(cat "$FIREBIRD_LOCK/server.pid" 2>/dev/null || true)
fi
export CI=${CI:-}
# intercept_tls_get_addr=0: LeakSanitizer otherwise follows a bad dynamic-TLS
# record of a thread of the embedded engine (a library loaded at run time)
# and crashes in its own scan at exit.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0:intercept_tls_get_addr=0"
export LSAN_OPTIONS="suppressions=$SRC/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$SRC/tests/ubsan.supp"
# The readers of untrusted files, fuzzed for a bounded time; the log is shown
# when the fuzzer finds something.
if ! bash scripts/fuzz.sh "${QD_FUZZ_SECONDS:-30}" > "$BUILD/fuzz.log" 2>&1; then
  tail -n 80 "$BUILD/fuzz.log"
  echo "Fuzzing found a failing input (see $BUILD/fuzz.log)"
  exit 1
fi
echo "Fuzzing: no failing input found"
FUZZ=$SECONDS
ESTADO=0
# A test that hangs fails after ten minutes instead of holding the run.
ctest --test-dir "$BUILD" --output-on-failure -j2 --timeout 600 || ESTADO=$?
PROBADO=$SECONDS
# The Debian package, made from the Release build as users get it, checked as
# a user's machine meets it (installed, started, removed).
if ! sh scripts/package.sh > "$BUILD/package.log" 2>&1; then
  tail -n 60 "$BUILD/package.log"
  echo "Package: not built (see $BUILD/package.log)"
  ESTADO=1
elif bash scripts/check-package.sh "$(tail -n 1 "$BUILD/package.log")"; then
  echo "Package: checked"
else
  echo "Package: failed its checks"
  ESTADO=1
fi
echo "Times: packages $((INSTALADO - INICIO)) s, build $((CONSTRUIDO - INSTALADO)) s," \
     "fuzzing $((FUZZ - CONSTRUIDO)) s, tests $((PROBADO - FUZZ)) s, Debian package $((SECONDS - PROBADO)) s," \
     "whole run $((SECONDS - INICIO)) s"
exit $ESTADO
