#!/bin/sh
# Runs the Windows test programs of a build folder under Wine, each in turn,
# on an X display of their own (Xvfb) with Qt's Windows platform, and prints
# each one's closing lines; fails when one does. They run in a home folder
# and a Wine prefix made for the run and removed after it, so that nothing
# they do reaches the user's own (Wine's Recycle Bin is the home's desktop
# trash), with Wine's own fonts in the prefix: a fresh prefix has none, and
# text would be drawn with a stand-in. The run's temporary folder is its own
# too: wineserver and xvfb-run would otherwise leave their folders in /tmp.
set -u
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
cleanUp() {
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    rm -rf "$scratch"
}
trap cleanUp EXIT

export TMPDIR="$scratch/tmp"
export HOME="$scratch/home"
export XDG_DATA_HOME="$HOME/.local/share" XDG_CONFIG_HOME="$HOME/.config" XDG_CACHE_HOME="$HOME/.cache"
export WINEPREFIX="$scratch/prefix"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
export WINEARCH=win64
export QT_QPA_PLATFORM=windows
mkdir -p "$HOME" "$TMPDIR"
echo "Making a Wine prefix of the run's own"
wineboot -i >/dev/null 2>&1
wineserver -w
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"

failed=0
for test in files_tests document_tests dialogs_tests main_window_tests; do
    log="$build/$test.log"
    echo "== $test"
    started=$(date +%s)
    (cd "$build" && timeout 1200 xvfb-run -a -s "-screen 0 1280x1024x24" wine "$test.exe") >"$log" 2>&1
    status=$?
    grep -E '^\[  (PASSED|FAILED|SKIPPED) ' "$log" || echo "(no summary: see $log)"
    # A program whose tests all passed may still not end (a thread's clean-up hanging at exit).
    case $status in
    0) echo "(ended in $(($(date +%s) - started)) s)" ;;
    124) echo "FAILED: $test did not end within 1200 s"; failed=1 ;;
    *) echo "FAILED: $test ended with status $status"; failed=1 ;;
    esac
done
exit $failed
