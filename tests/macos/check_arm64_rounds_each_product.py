#!/usr/bin/env python3
"""Checks that the arm64 slice of a macOS binary holds no fused multiply-add.

    check_arm64_rounds_each_product.py OBJDUMP BINARY

arm64 compilers fuse a multiply and an add into one rounding unless told not to, and a fused
kernel gives other bits than the scalar rules. The build says -ffp-contract=off; this reads the
result, disassembled by llvm-objdump, for every fused instruction (scalar and vector).
"""
import re
import subprocess
import sys

from report import reported

FUSED = re.compile(r"\s(fmla|fmls|fmadd|fmsub|fnmadd|fnmsub)\s")


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    objdump, binary = argv[1:]
    listing = subprocess.run([objdump, "-d", "--macho", "--arch=arm64", binary], capture_output=True, text=True,
                             check=True).stdout
    fused = [line.strip() for line in listing.splitlines() if FUSED.search(line)]
    failures = [f"fused: {line}" for line in fused[:10]]
    if fused:
        failures.append(f"{len(fused)} fused multiply-adds in the arm64 slice")
    if "ret" not in listing:
        failures.append("no arm64 code disassembled")
    return reported(failures, "ok, no fused multiply-add in the arm64 slice", f"{binary}: ")


if __name__ == "__main__":
    sys.exit(main(sys.argv))
