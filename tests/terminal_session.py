#!/usr/bin/env python3
"""Runs neuronet in a real pseudo-terminal and answers each prompt only after it has
appeared, as a person at the keyboard would. Exits non-zero on any surprise."""

import sys

import pexpect

PROMPT = r"Enter vector \[(\d+)\] element: "


def main(program: str) -> int:
    session = pexpect.spawn(program, encoding="utf-8", timeout=20)
    for index in range(3):
        session.expect(PROMPT)
        if session.match.group(1) != str(index):
            print(f"input prompt {session.match.group(1)} came where {index} was due")
            return 1
        session.sendline(str(index + 1))

    session.expect(r"NN have 5 layers\.")
    session.expect(r"Enter D vector: ")
    # As many target prompts as the output has elements; 0.6 is within reach.
    while session.expect([PROMPT, r"Propagate is: "]) == 0:
        session.sendline("0.6")

    session.expect(r"BackPropagate is over:")
    session.expect(r"Neuro result vector was deleted\.\.\.\r\n")
    session.expect(r"Neuro matrixs was deleted\.\.\.\r\n")
    session.expect(pexpect.EOF)
    session.close()
    if session.exitstatus != 0:
        print(f"exit status {session.exitstatus}, signal {session.signalstatus}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
