#!/bin/sh
# Checks that the module exports EntryPointFunc and nothing else, and that a Windows DLL
# imports only system DLLs (it must load on a machine without a compiler runtime).
# Usage: check_module_exports.sh MODULE OBJDUMP
set -eu
module=$1
objdump=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

case "$module" in
*.dll)
    dump=$("$objdump" -p "$module")
    exports=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed '1d;/^$/d' |
              awk '{print $NF}')
    imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p')
    for dll in $imports; do
        case $(printf '%s' "$dll" | tr 'A-Z' 'a-z') in
        kernel32.dll | msvcrt.dll | user32.dll | advapi32.dll | ntdll.dll | api-ms-win-*) ;;
        *) fail "imports non-system DLL $dll" ;;
        esac
    done
    echo "imports: $(echo $imports)"
    ;;
*)
    exports=$(nm -D --defined-only "$module" | awk '{print $NF}')
    ;;
esac

echo "exports: $(echo $exports)"
[ "$(echo $exports)" = "EntryPointFunc" ] || fail "the module must export EntryPointFunc alone"
echo "module exports ok"
