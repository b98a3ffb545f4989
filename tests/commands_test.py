#!/usr/bin/env python3
"""Every row of commands.tsv: a program's command line run as a shell runs it, its status,
standard error and standard output exactly as the row says.
Usage: commands_test.py NAME=PATH... [unittest arguments]"""

import contextlib
import json
import os
import re
import shlex
import subprocess
import sys
import tempfile
import unittest

from harness import TESTS, run


SCRATCH = tempfile.mkdtemp()


def unescaped(text):
    text = text.replace("{tests}", TESTS).replace("{scratch}", SCRATCH)
    return text.encode("latin-1").decode("unicode_escape").encode("latin-1")


def expected(text):
    """What a row's column says a stream holds: a file's bytes, nothing, or the text."""
    if text.startswith("="):
        with open(os.path.join(TESTS, text[1:]), "rb") as file:
            return file.read()
    return b"" if text == "-" else unescaped(text)


class Commands(unittest.TestCase):
    def test_every_row(self):
        with open(os.path.join(TESTS, "commands.tsv"), encoding="latin-1") as table:
            rows = [line.rstrip("\n").split("\t") for line in table if not line.startswith("#")]
        for program, arguments, source, output, status, err, out in rows:
            with self.subTest(program=program, arguments=arguments, output=output), \
                    contextlib.ExitStack() as files:
                words = [unescaped(a).decode("latin-1") for a in shlex.split(arguments)]
                text = unescaped(source[1:-1]) if source.startswith('"') else None
                stdin = None if text is not None or source == "-" else \
                    files.enter_context(open(os.path.join(TESTS, source.rstrip("!")), "rb"))
                stdout = subprocess.PIPE if output == "pipe" else files.enter_context(open(output, "wb"))
                got = run([PROGRAMS[program], *words], text=text, stdin=stdin or subprocess.DEVNULL,
                          stdout=stdout)
                self.assertEqual(got[1:], (expected(err), int(status)))
                if out.startswith("~"):
                    self.assertRegex(got[0], re.compile(out[1:].replace("\\n", "\n").encode(), re.S))
                elif output == "pipe":
                    self.assertEqual(got[0], expected(out))
                if source.endswith("!"):
                    self.assertEqual(os.lseek(stdin.fileno(), 0, os.SEEK_CUR), 0, "read")


class SeededCases(unittest.TestCase):
    def test_every_case_replays_with_its_seed_and_step_limit(self):
        """neuronet --seed S --step-limit N replays every case, traced: its dialogue, and its
        last traced weights those of its .weights, bit for bit."""
        why_not = subprocess.run([PROGRAMS["platform"]], capture_output=True, text=True,
                                 check=True).stdout
        if why_not:
            self.skipTest(why_not)
        for folder in ("transcripts", "own-transcripts"):
            with open(os.path.join(TESTS, folder, "cases.tsv")) as table:
                rows = [line.split("\t") for line in table if not line.startswith("#")]
            for name, seed, limit, status, _ in rows:
                with self.subTest(folder=folder, name=name), open(
                        os.path.join(TESTS, folder, name + ".in"), "rb") as typed:
                    trace = os.path.join(SCRATCH, "case.jsonl")
                    command = [PROGRAMS["neuronet"], "--seed", seed, "--trace", trace,
                               "--trace-steps", "1"] + (["--step-limit", limit] if limit != "-" else [])
                    got = run(command, stdin=typed)
                    self.assertEqual(got, tuple(expected(f"={folder}/{name}.{kind}")
                                                for kind in ("out", "err")) + (int(status),))
                    with open(trace) as lines:
                        last = [json.loads(line) for line in lines][-2]
                    self.assertEqual(last["kind"], "step")
                    with open(os.path.join(TESTS, folder, name + ".weights")) as weights:
                        words, want = weights.read().split(), []
                    while words:  # a matrix's row and column counts, then its elements
                        count = int(words[0]) * int(words[1])
                        want += map(float.fromhex, words[2:2 + count])
                        words = words[2 + count:]
                    got = [float(w) for layer in last["layers"] for row in layer["W"] for w in row]
                    self.assertEqual([w.hex() for w in got], [w.hex() for w in want])


if __name__ == "__main__":
    PROGRAMS = dict(a.split("=", 1) for a in sys.argv[1:] if "=" in a)
    unittest.main(argv=[sys.argv[0]] + [a for a in sys.argv[1:] if "=" not in a], verbosity=2)
