#!/usr/bin/env python3
"""The built program end to end, through its console: pipes, a terminal, devices, closed
and non-blocking descriptors, and memory limits, as a shell would give them. (Its command
line is commands_test.py's.)
Usage: console_test.py PROGRAM [--no-memory-limits] [unittest arguments]"""

import contextlib
import errno
import os
import pty
import re
import select
import signal
import subprocess
import termios
import unittest

from harness import MEMORY_LIMITS, AddressSpace, arguments, fed_with_peak, run, transcript, typed

PROMPT = b"element: "


def consumed(file):
    return os.lseek(file.fileno(), 0, os.SEEK_CUR)


def answered_prompt_by_prompt(text, terminal=False, seconds=20):
    """Runs the program on pipes, or in a terminal that does not echo (where each answer ends
    its line, as a person types it, and Ctrl-D ends the input), and sends each word of `text`
    only once the prompt it answers has arrived. Returns (stdout, stderr, status)."""
    words = re.findall(rb"\s*\S+\s*", text) or [text]  # each with the space that ends it
    if terminal:
        words = [word.strip() + b"\n" for word in words] + [b"\x04"]
        reading, theirs = pty.openpty()
        mode = termios.tcgetattr(theirs)
        mode[3] &= ~termios.ECHO
        termios.tcsetattr(theirs, termios.TCSANOW, mode)
        writing, child_in, child_out = reading, theirs, theirs
    else:
        (reading, child_out), (child_in, writing) = os.pipe(), os.pipe()
    child = subprocess.Popen([PROGRAM], stdin=child_in, stdout=child_out, stderr=subprocess.PIPE)
    for descriptor in {child_in, child_out}:
        os.close(descriptor)
    out, sent = b"", 0
    while True:
        if sent == len(words) and not terminal and writing is not None:
            os.close(writing)
            writing = None
        if not select.select([reading], [], [], seconds)[0]:
            child.kill()
            raise AssertionError(f"no prompt arrived after {out[-60:]!r}")
        try:
            piece = os.read(reading, 65536)
        except OSError:  # a terminal whose program has ended
            piece = b""
        if not piece:
            break
        out += piece
        while sent < len(words) and out.count(PROMPT) > sent:
            with contextlib.suppress(BrokenPipeError):  # the run may end without reading all
                os.write(writing, words[sent])
            sent += 1
    for descriptor in {reading, writing} - {None}:
        os.close(descriptor)
    with child.stderr:
        return out.replace(b"\r\n", b"\n") if terminal else out, child.stderr.read(), child.wait()


class Console(unittest.TestCase):
    def test_transcripts_answered_prompt_by_prompt(self):
        # The unseeded generator: cases made with seed 1 and no step limit. A prompt that
        # is not shown before the program waits leaves this waiting too, and fails.
        for name, status, terminal in [
                ("platform-hundreds", 0, False), ("platform-out-of-reach", 1, False),
                ("number-forms", 0, False), ("letters", 2, False), ("ends-at-target-1", 2, False),
                ("platform-long", 0, True), ("letters", 2, True), ("ends-at-target-1", 2, True)]:
            with self.subTest(name, terminal=terminal):
                self.assertEqual(answered_prompt_by_prompt(transcript(name, "in"), terminal),
                                 (transcript(name), transcript(name, "err"), status))

    def test_a_diagnostic_follows_the_prompts_it_answers(self):
        for name, last_prompt in [("letters", 2), ("sign-alone", 5)]:
            with self.subTest(name), typed(name) as file:
                out = transcript(name)
                at = [m.end() for m in re.finditer(PROMPT, out)][last_prompt]
                merged, _, _ = run([PROGRAM], stdin=file, stderr=subprocess.STDOUT)
                self.assertEqual(merged, out[:at] + transcript(name, "err") + out[at:])


class FailingConsole(unittest.TestCase):
    def test_a_console_that_fails_ends_the_run_with_one_line(self):
        """Output that cannot be written ends the run before anything more is read; input
        that cannot be read, after the first prompt. One line, status 3."""
        gone_reader, gone_writer = os.pipe()
        os.close(gone_reader)
        full_reader, full_writer = os.pipe()
        empty_reader, empty_writer = os.pipe()
        os.set_blocking(full_writer, False)
        os.set_blocking(empty_reader, False)
        directory = os.open("/", os.O_RDONLY)
        full = os.open("/dev/full", os.O_WRONLY)
        write, read, pipe = b"write standard output", b"read standard input", subprocess.PIPE
        for name, stdin, stdout, closed, doing, cause in [
                ("a full device", typed(), full, None, write, errno.ENOSPC),
                ("closed output", typed(), None, 1, write, errno.EBADF),
                ("a reader gone", typed(), gone_writer, None, write, errno.EPIPE),
                ("a full non-blocking pipe", typed(), full_writer, None, write, errno.EAGAIN),
                ("a directory", directory, pipe, None, read, errno.EISDIR),
                ("closed input", None, pipe, 0, read, errno.EBADF),
                ("an empty non-blocking pipe", empty_reader, pipe, None, read, errno.EAGAIN)]:
            with self.subTest(name):
                result = run([PROGRAM], stdin=stdin, stdout=stdout, closed=closed,
                             sigpipe_ignored=True)
                line = b"neuronet: cannot " + doing + b": " + os.strerror(cause).encode() + b"\n"
                self.assertEqual(result, (b"Enter vector [0] element: " if doing == read else None,
                                          line, 3))
                if doing == write:  # a pipe fills only after some of the run
                    self.assertTrue(consumed(stdin) == 0 or cause == errno.EAGAIN, "nothing read")
                    stdin.close()
        # SIGPIPE keeps its default action; a trace whose reader has gone never cuts the dialogue.
        with typed() as file:
            self.assertEqual(run([PROGRAM], stdin=file, stdout=gone_writer)[2], -signal.SIGPIPE)
        trace = f"/dev/fd/{gone_writer}"
        with typed("platform-one-step") as file:
            self.assertEqual(run([PROGRAM, "--trace", trace], stdin=file, kept=[gone_writer]),
                             (transcript("platform-one-step"),
                              f'neuronet: cannot write "{trace}": Broken pipe\n'.encode(), 3))
        for descriptor in (gone_writer, full_reader, full_writer, empty_reader, empty_writer,
                           directory, full):
            os.close(descriptor)


class BoundedMemory(AddressSpace):
    def test_an_endless_word_is_unreadable_in_bounded_memory(self):
        # A gigabyte of digits, streamed, and the endless zero bytes of /dev/zero: the
        # program reads no more of such a word than its bound, and then nothing more.
        for name, pieces, shown in [("1 GB of digits", (b"1" * (1 << 20) for _ in range(1024)),
                                     "1" * 40),
                                    ("/dev/zero", None, "\\x00" * 40)]:
            with self.subTest(name):
                command = ["sh", "-c", f"exec '{PROGRAM}' < /dev/zero"] if pieces is None \
                    else [PROGRAM]
                status, out, err, peak = fed_with_peak(command, pieces or [], seconds=60)
                self.assertEqual((err, status, out),
                                 (b"neuronet: cannot read element [0] of the input vector: "
                                  b'found "' + shown.encode() + b'"..., not a number\n',
                                  2, transcript("ends-at-input-0")))
                self.assertLess(peak if MEMORY_LIMITS else 0, 8 * 1024, "peak resident KiB")

    def test_every_address_space_limit_ends_in_a_documented_way(self):
        whole = transcript("platform-one-step")
        outcomes = self.assert_every_limit_ends_in_a_documented_way(
            [PROGRAM], transcript("platform-one-step", "in"), whole,
            b"neuronet: out of memory\n", whole)
        self.assertTrue({0, 3} <= outcomes, outcomes)


if __name__ == "__main__":
    (PROGRAM,), argv = arguments(1)
    unittest.main(argv=argv)
