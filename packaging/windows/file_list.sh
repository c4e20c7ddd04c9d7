#!/bin/sh
# Writes the installer's two file lists for the installed tree given: the
# files to install, folder by folder, and the same files and folders to
# remove, so that uninstalling takes away exactly what installing put there.
set -e
stage=$(cd "$1" && pwd)
cd "$stage"
windows() { printf '%s' "$1" | sed 's|^\./||; s|^\.$||; s|/|\\|g'; }
folders=$(find . -type d | sort)
printf '%s\n' '!macro InstallFiles'
for folder in $folders; do
    inside=$(windows "$folder")
    printf '    SetOutPath "$INSTDIR%s"\n' "${inside:+\\$inside}"
    find "$folder" -maxdepth 1 -type f | sort | while read -r file; do
        printf '    File "%s/%s"\n' "$stage" "${file#./}"
    done
done
printf '%s\n' '!macroend' '!macro UninstallFiles'
find . -type f | sort | while read -r file; do
    printf '    Delete "$INSTDIR\\%s"\n' "$(windows "$file")"
done
for folder in $(printf '%s\n' "$folders" | sort -r); do
    [ "$folder" = . ] || printf '    RMDir "$INSTDIR\\%s"\n' "$(windows "$folder")"
done
printf '%s\n' '!macroend'
