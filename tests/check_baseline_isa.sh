#!/bin/sh
# The module must load and run on any x86-64 processor: only the AVX2 and AVX-512 kernels, which
# run where the processor has them, may hold VEX or EVEX instructions (every mnemonic that
# starts with "v"). Usage: check_baseline_isa.sh MODULE OBJDUMP
set -eu
module=$1
objdump=$2

found=$("$objdump" -d --no-show-raw-insn -C "$module" | awk '
    /^[0-9a-f]+ <.*>:$/ { function_name = $0; next }
    NF >= 2 && $2 ~ /^v[a-z]/ && function_name !~ /Avx2|Avx512/ { print function_name ": " $2 }
' | sort -u)

if [ -n "$found" ]; then
    echo "instructions beyond the x86-64 baseline outside the AVX kernels:"
    echo "$found"
    exit 1
fi
echo "baseline instructions only, outside the AVX2 and AVX-512 kernels"
