"""How every check here ends: each failure on a line of its own (on standard error), or else one
line that says what held; the exit status 1 on any failure, 0 otherwise."""
import sys


def reported(failures, success, prefix=""):
    for failure in failures:
        print(f"{prefix}{failure}", file=sys.stderr)
    if failures:
        return 1
    print(f"{prefix}{success}")
    return 0
