#!/usr/bin/env bash
# Checks that every .exe and .dll in a Windows program folder (and its subfolders) needs no DLL other than
# the ones in that folder and those every Windows has. Prints each file's needs; fails on any other DLL.
#   scripts/windows-dlls.sh FOLDER [x86_64|i686]
set -euo pipefail
folder="${1:?usage: $0 FOLDER [x86_64|i686]}"
arch="${2:-x86_64}"
objdump="$arch-w64-mingw32-objdump"

# Windows' own DLLs (lower case). Qt's Windows platform and styles use these; nothing of MinGW's runtime
# (libgcc_s, libstdc++, libwinpthread) or third-party libraries (zlib1.dll ...) may appear.
system_dlls=" advapi32.dll authz.dll bcrypt.dll comdlg32.dll crypt32.dll d3d11.dll d3d12.dll d3d9.dll dwmapi.dll "
system_dlls+="dwrite.dll dxgi.dll gdi32.dll imm32.dll kernel32.dll mpr.dll msvcrt.dll netapi32.dll ole32.dll "
system_dlls+="oleaut32.dll setupapi.dll shcore.dll shell32.dll shlwapi.dll user32.dll userenv.dll uxtheme.dll "
system_dlls+="version.dll winmm.dll ws2_32.dll wtsapi32.dll "

# The DLLs the folder itself provides, by lower-case name.
provided=" $(find "$folder" -iname '*.dll' -printf '%f\n' | tr 'A-Z' 'a-z' | tr '\n' ' ') "
status=0
while IFS= read -r -d '' file; do
    needs=$("$objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
    echo "${file#"$folder"/}: $(echo $needs)"
    for dll in $needs; do
        # api-ms-win-* are names of Windows' own API sets, resolved by the loader.
        if [[ "$system_dlls" != *" $dll "* && "$provided" != *" $dll "* && "$dll" != api-ms-win-* ]]; then
            echo "  needs $dll, which is neither Windows' own nor in the folder" >&2
            status=1
        fi
    done
done < <(find "$folder" \( -iname '*.exe' -o -iname '*.dll' \) -print0 | sort -z)
exit $status
