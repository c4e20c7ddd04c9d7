#!/bin/sh
# The simulator's file gets Planora's own type, and Planora opens it from the
# desktop; a plain text file stays text/plain and is never Planora's. Checked
# as a desktop's own tools see it, in a scratch data folder.
# Usage: file_type_test.sh MIME_PACKAGE DESKTOP_ENTRY PROGRAM
set -eu
# A desktop offers only programs it can find.
PATH="$(dirname "$3"):$PATH"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME="$scratch" XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_DIRS=/usr/share
mkdir -p "$XDG_DATA_HOME/mime/packages" "$XDG_DATA_HOME/applications" "$scratch/files"
cp "$1" "$XDG_DATA_HOME/mime/packages/planora.xml"
cp "$2" "$XDG_DATA_HOME/applications/planora.desktop"
update-mime-database "$XDG_DATA_HOME/mime"
update-desktop-database "$XDG_DATA_HOME/applications"

type_of() {
    gio info -a standard::content-type "$1" | sed -n 's/^ *standard::content-type: //p'
}
expect() {
    if [ "$2" != "$3" ]; then
        echo "$1: '$2', not '$3'" >&2
        exit 1
    fi
}

for name in fs9.cfg FS9.CFG Fs9.Cfg; do
    printf '[SOUND]\r\nSOUND=1\r\n' > "$scratch/files/$name"
    expect "$name" "$(type_of "$scratch/files/$name")" application/x-fs9-config
    rm "$scratch/files/$name"
done
printf 'NAME="Debian"\n' > "$scratch/files/os-release"
expect os-release "$(type_of "$scratch/files/os-release")" text/plain
printf '[outro]\r\n' > "$scratch/files/outro.cfg"
expect outro.cfg "$(type_of "$scratch/files/outro.cfg")" text/plain

gio mime application/x-fs9-config | grep -q 'planora.desktop' || { echo "Planora does not open fs9.cfg" >&2; exit 1; }
if gio mime text/plain | grep -q 'planora.desktop'; then
    echo "Planora is offered for every text file" >&2
    exit 1
fi
