"""What the tests of the built programs share: the transcripts, a run of a program as a
shell gives it (devices, closed descriptors, an address-space limit), its peak memory, and
the scan of every address-space limit around the lowest that loads it."""

import contextlib
import os
import signal
import subprocess
import sys
import tempfile
import unittest

TESTS = os.path.dirname(os.path.abspath(__file__))
# The sanitizers reserve address space and memory of their own: no memory limits there.
MEMORY_LIMITS = "--no-memory-limits" not in sys.argv


def transcript(name, kind="out", folder="transcripts"):
    with open(os.path.join(TESTS, folder, f"{name}.{kind}"), "rb") as file:
        return file.read()


def typed(name="platform-long"):
    """The typed input of a shared transcript, as an open file."""
    return open(os.path.join(TESTS, "transcripts", f"{name}.in"), "rb")


def run(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
        closed=None, sigpipe_ignored=False, limit=None, text=None, kept=()):
    """Runs the command to its end, with `text` or `stdin` as its input; `closed` is a
    descriptor closed in the child, `kept` descriptors left open in it, `limit` its address
    space in bytes. Returns (stdout, stderr, status)."""
    def prepare():
        if closed is not None:
            os.close(closed)
        if sigpipe_ignored:
            signal.signal(signal.SIGPIPE, signal.SIG_IGN)
    child = subprocess.run((["prlimit", f"--as={limit}"] if limit else []) + command,
                           **({"input": text} if text is not None else {"stdin": stdin}),
                           stdout=stdout, stderr=stderr, timeout=120, preexec_fn=prepare,
                           restore_signals=not sigpipe_ignored, pass_fds=kept)
    return child.stdout, child.stderr, child.returncode


def fed_with_peak(command, pieces, seconds=120):
    """Runs the command with `pieces` streamed to its input until it stops reading, and
    returns (status, stdout, stderr, peak resident KiB); one that never ends fails."""
    with tempfile.NamedTemporaryFile() as peak, tempfile.TemporaryFile() as out, \
            tempfile.TemporaryFile() as err, \
            subprocess.Popen(["/usr/bin/time", "-f", "%M", "-o", peak.name, *command],
                             stdin=subprocess.PIPE, stdout=out, stderr=err) as child:
        try:
            child.stdin.writelines(pieces)
            child.stdin.close()
        except BrokenPipeError:  # it stopped reading, as it may; closing flushes in vain
            with contextlib.suppress(BrokenPipeError):
                child.stdin.close()
        try:
            status = child.wait(timeout=seconds)
        finally:
            child.kill()
        return (status, os.pread(out.fileno(), 1 << 22, 0), os.pread(err.fileno(), 1 << 16, 0),
                int(peak.read().split()[-1]))


class AddressSpace(unittest.TestCase):
    def assert_every_limit_ends_in_a_documented_way(self, command, text, whole, out_of_memory,
                                                    written_first):
        """Below some limit the system cannot load the program (127); just above it, memory
        runs out: status 3, the one line, and no more than `written_first` before it; higher
        still, the whole run. Never an abort, never a run cut short said to be whole.
        Returns the statuses seen."""
        if not MEMORY_LIMITS:
            self.skipTest("the sanitizers reserve address space of their own")
        low, high, outcomes = 1024, 64 * 1024, set()
        while high - low > 4:
            middle = (low + high) // 2
            if run(command, text=text, limit=middle * 1024)[2] == 127:
                low = middle
            else:
                high = middle
        for kib in range(high - 16, high + 400, 4):
            out, err, status = run(command, text=text, limit=kib * 1024)
            outcomes.add(status)
            if status == 3:
                self.assertEqual(err, out_of_memory, kib)
                self.assertTrue(written_first.startswith(out), kib)
            elif status != 127:
                self.assertEqual((out, err, status), (whole, b"", 0), kib)
        return outcomes


def arguments(count):
    """The programs' paths from the command line, and what is left for unittest."""
    rest = [a for a in sys.argv[1:] if a != "--no-memory-limits"]
    return rest[:count], [sys.argv[0]] + rest[count:]
