#!/bin/sh
# Checks that a binary exports exactly the given functions (by default EntryPointFunc alone),
# and that a Windows one imports only system DLLs (it must load on a machine without a
# compiler runtime).
# Usage: check_module_exports.sh BINARY OBJDUMP [EXPORTS]
set -eu
module=$1
objdump=$2
expected=${3:-EntryPointFunc}
fail() { echo "FAIL: $*" >&2; exit 1; }

case "$objdump" in
*mingw*)
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

exports=$(echo $(printf '%s\n' $exports | sort))
echo "exports: $exports"
[ "$exports" = "$(echo $(printf '%s\n' $expected | sort))" ] || fail "the binary must export $expected and nothing else"
echo "exports ok"
