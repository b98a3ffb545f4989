#!/usr/bin/env python3
"""The built program end to end, through its console: pipes, descriptors and limits
as a shell gives them. Usage: console_test.py PROGRAM TRANSCRIPTS [unittest arguments]"""

import os
import re
import select
import subprocess
import sys
import unittest

PROGRAM = ""
TRANSCRIPTS = ""
PROMPT = b"element: "


def transcript(name, kind):
    with open(os.path.join(TRANSCRIPTS, f"{name}.{kind}"), "rb") as file:
        return file.read()


def answered_prompt_by_prompt(typed, seconds=20):
    """Runs the program and sends each word of `typed` only once the prompt it answers
    has arrived, then ends the input. Returns (stdout, stderr, status)."""
    # Each word goes with the white space after it, which ends it.
    words = re.findall(rb"\s*\S+\s*", typed) or [typed]
    child = subprocess.Popen([PROGRAM], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE)
    out, sent = b"", 0
    while True:
        if sent == len(words) and not child.stdin.closed:
            child.stdin.close()
        ready, _, _ = select.select([child.stdout], [], [], seconds)
        if not ready:
            child.kill()
            child.wait()
            raise AssertionError(f"no prompt arrived after {out[-60:]!r}")
        piece = os.read(child.stdout.fileno(), 65536)
        if not piece:
            break
        out += piece
        while sent < len(words) and out.count(PROMPT) > sent:
            try:
                child.stdin.write(words[sent])
                child.stdin.flush()
            except BrokenPipeError:
                pass
            sent += 1
    err = child.stderr.read()
    return out, err, child.wait()


class ThroughPipes(unittest.TestCase):
    def test_transcripts_answered_prompt_by_prompt(self):
        # The unseeded generator: the cases made with seed 1 and no step limit.
        for name, status in [("platform-hundreds", 0), ("platform-out-of-reach", 1),
                             ("number-forms", 0), ("letters", 2), ("ends-at-target-1", 2)]:
            with self.subTest(name):
                out, err, code = answered_prompt_by_prompt(transcript(name, "in"))
                self.assertEqual(out, transcript(name, "out"))
                self.assertEqual(err, transcript(name, "err"))
                self.assertEqual(code, status)


if __name__ == "__main__":
    PROGRAM, TRANSCRIPTS = sys.argv[1], sys.argv[2]
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:])
