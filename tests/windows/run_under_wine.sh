#!/bin/sh
# Runs the Windows test programs of a build folder under Wine, each in turn,
# with a Wine prefix of the build's own, an X display of its own (Xvfb) and
# Qt's Windows platform, and prints each one's closing lines. Fails when one does.
set -u
build=$(cd "$1" && pwd)
export WINEPREFIX="$build/wine-prefix"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
export WINEARCH=win64
export QT_QPA_PLATFORM=windows
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Making the Wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
fi

failed=0
for test in files_tests document_tests dialogs_tests main_window_tests; do
    log="$build/$test.log"
    echo "== $test"
    (cd "$build" && timeout 1200 xvfb-run -a -s "-screen 0 1280x1024x24" wine "$test.exe") >"$log" 2>&1
    status=$?
    grep -E '^\[  (PASSED|FAILED|SKIPPED) ' "$log" || echo "(no summary: see $log)"
    [ "$status" = 0 ] || failed=1
done
wineserver -k 2>/dev/null
exit $failed
