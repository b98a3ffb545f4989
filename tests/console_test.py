#!/usr/bin/env python3
"""The built program end to end, through its console: pipes, devices, closed and
non-blocking descriptors, arguments and memory limits, as a shell would give them.
Usage: console_test.py PROGRAM TRANSCRIPTS [--no-memory-limits] [unittest arguments]"""

import errno
import os
import re
import select
import signal
import subprocess
import sys
import tempfile
import unittest

PROGRAM = ""
TRANSCRIPTS = ""
MEMORY_LIMITS = True
PROMPT = b"element: "


def transcript(name, kind):
    with open(os.path.join(TRANSCRIPTS, f"{name}.{kind}"), "rb") as file:
        return file.read()


def typed(name):
    return open(os.path.join(TRANSCRIPTS, f"{name}.in"), "rb")


def run(*arguments, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
        closed=None, sigpipe_ignored=False, limit=None):
    """Runs the program to its end; `closed` is a descriptor closed in the child. Returns
    (stdout, stderr, status)."""
    def prepare():
        if closed is not None:
            os.close(closed)
        if sigpipe_ignored:
            signal.signal(signal.SIGPIPE, signal.SIG_IGN)
    command = (["prlimit", f"--as={limit}"] if limit else []) + [PROGRAM, *arguments]
    child = subprocess.run(command, stdin=stdin, stdout=stdout, stderr=stderr, timeout=120,
                           preexec_fn=prepare, restore_signals=not sigpipe_ignored)
    return child.stdout, child.stderr, child.returncode


def consumed(file):
    return os.lseek(file.fileno(), 0, os.SEEK_CUR)


def cannot(doing, cause):
    return f"neuronet: cannot {doing}: {os.strerror(cause)}\n".encode()


def answered_prompt_by_prompt(text, seconds=20):
    """Runs the program and sends each word of `text` only once the prompt it answers
    has arrived, then ends the input. Returns (stdout, stderr, status)."""
    # Each word goes with the white space after it, which ends it.
    words = re.findall(rb"\s*\S+\s*", text) or [text]
    child = subprocess.Popen([PROGRAM], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE)
    out, sent = b"", 0
    while True:
        if sent == len(words) and not child.stdin.closed:
            child.stdin.close()
        if not select.select([child.stdout], [], [], seconds)[0]:
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
    return out, child.stderr.read(), child.wait()


class ThroughPipes(unittest.TestCase):
    def test_transcripts_answered_prompt_by_prompt(self):
        # The unseeded generator: cases made with seed 1 and no step limit.
        for name, status in [("platform-hundreds", 0), ("platform-out-of-reach", 1),
                             ("number-forms", 0), ("letters", 2), ("ends-at-target-1", 2)]:
            with self.subTest(name):
                self.assertEqual(answered_prompt_by_prompt(transcript(name, "in")),
                                 (transcript(name, "out"), transcript(name, "err"), status))

    def test_a_diagnostic_follows_the_prompts_it_answers(self):
        for name, last_prompt in [("letters", 2), ("sign-alone", 5)]:
            with self.subTest(name), typed(name) as file:
                out = transcript(name, "out")
                at = [m.end() for m in re.finditer(PROMPT, out)][last_prompt]
                merged, _, _ = run(stdin=file, stderr=subprocess.STDOUT)
                self.assertEqual(merged, out[:at] + transcript(name, "err") + out[at:])


class FailingConsole(unittest.TestCase):
    """A console that fails ends the run at once: one line, status 3."""

    def test_output_that_cannot_be_written(self):
        gone_reader, gone_writer = os.pipe()
        os.close(gone_reader)
        for name, stdout, closed, cause in [("a full device", "/dev/full", None, errno.ENOSPC),
                                            ("a closed descriptor", None, 1, errno.EBADF),
                                            ("a reader gone", gone_writer, None, errno.EPIPE)]:
            with self.subTest(name), typed("platform-long") as file:
                device = open(stdout, "wb") if isinstance(stdout, str) else stdout
                result = run(stdin=file, stdout=device, closed=closed, sigpipe_ignored=True)
                self.assertEqual(result, (None, cannot("write standard output", cause), 3))
                self.assertEqual(consumed(file), 0, "nothing was read")
        # SIGPIPE keeps its default action.
        with typed("platform-long") as file:
            self.assertEqual(run(stdin=file, stdout=gone_writer)[2], -signal.SIGPIPE)
        os.close(gone_writer)

    def test_a_non_blocking_descriptor_that_fills(self):
        reader, writer = os.pipe()
        os.set_blocking(writer, False)
        with typed("platform-long") as file:
            result = run(stdin=file, stdout=writer)
        os.close(reader)
        os.close(writer)
        self.assertEqual(result, (None, cannot("write standard output", errno.EAGAIN), 3))

    def test_input_that_cannot_be_read(self):
        reader, writer = os.pipe()
        os.set_blocking(reader, False)
        directory = os.open("/", os.O_RDONLY)
        for name, stdin, closed, cause in [("a directory", directory, None, errno.EISDIR),
                                           ("a closed descriptor", None, 0, errno.EBADF),
                                           ("a non-blocking pipe", reader, None, errno.EAGAIN)]:
            with self.subTest(name):
                self.assertEqual(run(stdin=stdin, closed=closed),
                                 (b"Enter vector [0] element: ",
                                  cannot("read standard input", cause), 3))
        for descriptor in (reader, writer, directory):
            os.close(descriptor)


class BoundedMemory(unittest.TestCase):
    def test_an_endless_word_is_unreadable_in_bounded_memory(self):
        # A gigabyte of digits, streamed, and the endless zero bytes of /dev/zero: the
        # program reads no more of such a word than its bound, and then nothing more.
        for name, source, shown in [("1 GB of digits", None, "1" * 40),
                                    ("/dev/zero", "/dev/zero", "\\x00" * 40)]:
            with self.subTest(name), tempfile.NamedTemporaryFile() as peak, \
                    tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
                stdin = open(source, "rb") if source else subprocess.PIPE
                child = subprocess.Popen(["/usr/bin/time", "-f", "%M", "-o", peak.name, PROGRAM],
                                         stdin=stdin, stdout=out, stderr=err)
                if not source:
                    try:
                        for _ in range(1024):
                            child.stdin.write(b"1" * (1 << 20))
                    except BrokenPipeError:
                        child.stdin = None
                try:
                    child.wait(timeout=60)
                finally:
                    child.kill()  # one that never ends is a failure, not a hang
                out.seek(0)
                err.seek(0)
                out, err = out.read(), err.read()
                self.assertEqual(err, b"neuronet: cannot read element [0] of the input vector: "
                                 b'found "' + shown.encode() + b'"..., not a number\n')
                self.assertEqual((child.returncode, out),
                                 (2, transcript("ends-at-input-0", "out")))
                if MEMORY_LIMITS:
                    self.assertLess(int(peak.read().split()[-1]), 8 * 1024, "peak resident KiB")

    def test_every_address_space_limit_ends_in_a_documented_way(self):
        if not MEMORY_LIMITS:
            self.skipTest("the sanitizers reserve address space of their own")
        # Below some limit the system cannot even load the program; just above it, the
        # program's first allocations fail; higher still, the run completes.
        def attempt(kib):
            with typed("platform-one-step") as file:
                return run(stdin=file, limit=kib * 1024)
        low, high = 1024, 64 * 1024
        while high - low > 4:
            middle = (low + high) // 2
            low, high = (middle, high) if attempt(middle)[2] == 127 else (low, middle)
        outcomes = set()
        for kib in range(high - 16, high + 400, 4):
            out, err, status = attempt(kib)
            outcomes.add(status)
            expected = transcript("platform-one-step", "out")
            if status == 3:
                self.assertEqual(err, b"neuronet: out of memory\n", kib)
                self.assertTrue(expected.startswith(out), kib)
            elif status != 127:
                self.assertEqual((out, err, status), (expected, b"", 0), kib)
        self.assertTrue({0, 3} <= outcomes, outcomes)


class Arguments(unittest.TestCase):
    USAGE = b"Usage: neuronet [--help | --version] < numbers\n"

    def test_options_answer_and_exit(self):
        for arguments, first_line in [(["--help"], self.USAGE),
                                      (["--version"], b"neuronet 1.0\n"),
                                      (["--version", "--help"], b"neuronet 1.0\n")]:
            with self.subTest(arguments), typed("platform-one-step") as file:
                out, err, status = run(*arguments, stdin=file)
                self.assertEqual((out.splitlines(True)[0], err, status, consumed(file)),
                                 (first_line, b"", 0, 0))
        help_text = run("--help")[0]
        for documented in [b"standard input", b"Exit status", b"64", b"man neuronet"]:
            self.assertIn(documented, help_text)
        self.assertEqual(run("--help", stdout=open("/dev/full", "wb")),
                         (None, cannot("write standard output", errno.ENOSPC), 3))

    def test_anything_else_is_a_usage_error(self):
        for arguments, named in [(["data.txt"], b'unexpected operand "data.txt"'),
                                 (["--bogus"], b'unknown option "--bogus"'),
                                 (["-"], b'unknown option "-"'),
                                 (["--help", "extra"], b'unexpected operand "extra"'),
                                 ([""], b'unexpected operand ""')]:
            with self.subTest(arguments), typed("platform-one-step") as file:
                self.assertEqual(run(*arguments, stdin=file) + (consumed(file),),
                                 (b"", b"neuronet: " + named + b"\n" + self.USAGE, 64, 0))


if __name__ == "__main__":
    PROGRAM, TRANSCRIPTS = sys.argv[1], sys.argv[2]
    MEMORY_LIMITS = "--no-memory-limits" not in sys.argv
    unittest.main(argv=[sys.argv[0]] + [a for a in sys.argv[3:] if a != "--no-memory-limits"])
