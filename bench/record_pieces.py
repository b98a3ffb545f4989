#!/usr/bin/env python3
"""Turns an strace log of write() calls (strace -xx -s N -e trace=write) into the pieces
file of bench/floor: every write to standard output, in order, length-prefixed."""

import re
import struct
import sys

WRITE = re.compile(r'^write\(1, "((?:\\x[0-9a-f]{2})*)"(\.\.\.)?, (\d+)\)\s*=\s*(\d+)$')


def main(trace_path: str, pieces_path: str) -> int:
    count = 0
    with open(trace_path) as trace, open(pieces_path, "wb") as pieces:
        for line in trace:
            match = WRITE.match(line.strip())
            if not match:
                continue
            if match.group(2):
                print("a write was cut short in the trace; raise strace -s", file=sys.stderr)
                return 1
            data = bytes.fromhex(match.group(1).replace("\\x", ""))
            pieces.write(struct.pack("<I", len(data)) + data)
            count += 1
    return 0 if count else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
