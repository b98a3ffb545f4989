#!/usr/bin/env python3
"""neuronet-plot end to end: every shared transcript drawn and its picture checked, a long
run in bounded memory, and input it cannot use.
Usage: plot_test.py PLOT NEURONET TRANSCRIPTS [--no-memory-limits] [unittest arguments]"""

import math
import os
import re
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

PLOT = NEURONET = TRANSCRIPTS = ""
MEMORY_LIMITS = True
SVG = "{http://www.w3.org/2000/svg}"


def transcript(name, kind="out"):
    with open(os.path.join(TRANSCRIPTS, f"{name}.{kind}"), "rb") as file:
        return file.read()


def plot(text, *arguments):
    child = subprocess.run([PLOT, *arguments], input=text, capture_output=True, timeout=60)
    return child.stdout, child.stderr, child.returncode


def cases():
    """(name, status, layer sizes, steps) of every case in cases.tsv."""
    with open(os.path.join(TRANSCRIPTS, "cases.tsv")) as table:
        for line in table:
            if not line.startswith("#"):
                name, _, _, status, what = line.rstrip("\n").split("\t")
                sizes, steps = re.search(r"\((\d-\d-\d-\d-\d), (\d+) steps\)", what).groups()
                yield name, int(status), sizes, int(steps)


def points(element):
    return [tuple(map(float, p.split(","))) for p in element.get("points").split()]


class Pictures(unittest.TestCase):
    def test_every_transcript_is_drawn_whole(self):
        for name, status, sizes, steps in cases():
            with self.subTest(name):
                svg, err, code = plot(transcript(name))
                self.assertEqual((err, code), (b"", 0))
                root = ElementTree.fromstring(svg)
                self.assertEqual(root.find(SVG + "title").text,
                                 f"neuronet: a {sizes} network trained for {steps} "
                                 f"step{'s' if steps != 1 else ''}")
                layers = [int(size) for size in sizes.split("-")]
                groups = lambda kind: root.findall(f"{SVG}g[@class='{kind}']")
                self.assertEqual(len(groups("layer")), 5)
                self.assertEqual(len(groups("connections")[0].findall(SVG + "line")),
                                 sum(a * b for a, b in zip(layers, layers[1:])))
                series = [points(groups("errors")[0].find(SVG + "polyline"))]
                series += [points(g.find(SVG + "polyline")) for g in groups("output")]
                self.assertEqual(len(series), 1 + layers[-1])
                for line in series:  # a long run's steps are thinned
                    self.assertTrue(len(line) == steps or 1000 < len(line) <= 2001 < steps)
                texts = [t.text for t in root.iter(SVG + "text")]
                stopped = any(t.startswith("Training stopped: ") for t in texts)
                self.assertEqual(stopped, b"Training stopped: " in transcript(name))
                self.assertIn(("stopped at step " if stopped else "met the limit at step ") +
                              str(steps), texts)
                # The last step's error, from three decimals, is near the report's exact one.
                summary = next(t for t in texts if t.startswith("The error"))
                drawn = re.findall(r"\d[\d.e+-]*|inf", summary)[-2 if steps > 1 else -1]
                reported = re.search(rb"\tE is: (.*)\n", transcript(name)).group(1)
                self.assertTrue(math.isclose(float(drawn.rstrip(".")), float(reported),
                                             rel_tol=0.02, abs_tol=0.002), (drawn, reported))
                target = re.search(rb"\tD is: (.*)\n", transcript(name)).group(1).split()
                legend = [t for t in texts if re.match(r"output \d+: target", t)]
                self.assertEqual([float(t.split()[3]) for t in legend],
                                 [float(d) for d in target])

    def test_standard_error_mixed_in_is_passed_over(self):
        for name, prompts in [("letters", 3), ("sign-alone", 6), ("ends-at-target-0", 6)]:
            with self.subTest(name):
                out = transcript(name)
                at = [m.end() for m in re.finditer(b"element: ", out)][prompts - 1]
                mixed = out[:at] + transcript(name, "err") + out[at:]
                self.assertEqual(plot(mixed), plot(out))

    def test_text_from_the_transcript_stays_text(self):
        out = transcript("platform-out-of-reach")
        reason = re.search(rb"Training stopped: (.*)\n", out).group(1)
        svg, _, _ = plot(out.replace(reason, b'<a> & "b" \x01\xff'))
        texts = [t.text for t in ElementTree.fromstring(svg).iter(SVG + "text")]
        self.assertIn('Training stopped: <a> & "b" ??', texts)

    def test_a_pipeline_from_the_program(self):
        run = subprocess.run(f"echo '0.1 0.1 0.1 -0.147 -0.147 -0.147' | '{NEURONET}' | '{PLOT}'",
                             shell=True, capture_output=True)
        self.assertEqual((run.returncode, run.stderr), (0, b""))
        ElementTree.fromstring(run.stdout)

    def test_ten_million_steps_in_bounded_memory_and_size(self):
        # The platform's long run, its steps repeated to ten million: a gigabyte, streamed.
        out = transcript("platform-long")
        first = out.index(b"Propagate is: ", out.index(b"Enter D vector"))
        report = out.index(b"\n-----") + 1
        steps = out[first:report - 1].splitlines(True)
        pairs = [b"".join(steps[k:k + 2]) for k in range(0, len(steps), 2)]
        block = b"".join(pairs[:1000])
        with tempfile.NamedTemporaryFile() as peak, tempfile.TemporaryFile() as svg:
            child = subprocess.Popen(["/usr/bin/time", "-f", "%M", "-o", peak.name, PLOT],
                                     stdin=subprocess.PIPE, stdout=svg, stderr=subprocess.PIPE)
            child.stdin.write(out[:first])
            for _ in range(10_000):
                child.stdin.write(block)
            child.stdin.write(out[report - 1:].replace(b"Numer of steps: 5203",
                                                       b"Numer of steps: 10000000"))
            child.stdin.close()
            try:
                self.assertEqual((child.stderr.read(), child.wait(timeout=120)), (b"", 0))
            finally:
                child.kill()
            svg.seek(0)
            picture = svg.read()
            if MEMORY_LIMITS:  # the sanitizers' own memory would count
                self.assertLess(int(peak.read().split()[-1]), 16 * 1024, "peak resident KiB")
        self.assertLess(len(picture), 400_000)
        root = ElementTree.fromstring(picture)
        line = points(root.find(f"{SVG}g[@class='errors']/{SVG}polyline"))
        self.assertLessEqual(len(line), 2001)
        self.assertEqual((line[0][0], line[-1][0]), (90.0, 720.0), "the first step and the last")
        gaps = {round(b[0] - a[0], 1) for a, b in zip(line, line[1:-1])}
        self.assertLessEqual(max(gaps) - min(gaps), 0.1, "evenly thinned")


class UnusableInput(unittest.TestCase):
    def test_one_line_saying_what_was_expected_and_where(self):
        whole = transcript("platform-hundreds")
        lines = whole.splitlines(True)
        for name, text, message in [
                ("empty", b"", b"line 1: expected the input vector, found the end of the input"),
                ("not a transcript", b"hello\n", b'line 1: expected the input vector, found "hello"'),
                ("cut after a step", b"".join(lines[:40]),
                 b"line 41: expected a step's error term, found the end of the input"),
                ("cut in the report", b"".join(lines[:-4]),
                 b"line %d: expected the report's number of steps, found the end of the input"
                 % (len(lines) - 3)),
                ("a layer too wide", whole.replace(b"\t0.86\n", b"\t0.86" + b"\t0.5" * 9 + b"\n"),
                 b'line 4: expected a row of as many weights as the row before, at most 9, found '
                 b'"\\x090.86' + b"\\x090.5" * 8 + b'\\x090."...'),
                ("a line too long", b"1" * 70000 + b"\n",
                 b"line 1: a line longer than 64 KiB, which no transcript has"),
                ("a wrong step count", whole.replace(b"steps: 270", b"steps: 271"),
                 b'line %d: expected the number of steps the transcript shows, found '
                 b'"\\x09Numer of steps: 271"' % (len(lines) - 3))]:
            with self.subTest(name):
                self.assertEqual(plot(text), (b"", b"neuronet-plot: " + message + b"\n", 1))

    def test_the_command_line(self):
        path = os.path.join(TRANSCRIPTS, "platform-one-step.out")
        self.assertEqual(plot(b"", path), plot(transcript("platform-one-step")))
        self.assertEqual(plot(b"", "--version"), (b"neuronet-plot 1.0\n", b"", 0))
        self.assertIn(b"Usage: neuronet-plot", plot(b"", "--help")[0])
        usage = b"Usage: neuronet-plot [--help | --version] [TRANSCRIPT]\n"
        for arguments, message in [(["--bogus"], b"unknown option: --bogus"),
                                   ([path, path], b"more than one transcript: " + path.encode())]:
            self.assertEqual(plot(b"", *arguments), (b"", b"neuronet-plot: " + message + b"\n" + usage, 64))
        self.assertEqual(plot(b"", "/nonexistent")[1:],
                         (b"neuronet-plot: cannot open /nonexistent: No such file or directory\n", 3))
        self.assertEqual(plot(b"", "/")[1:], (b"neuronet-plot: cannot read /: Is a directory\n", 3))
        with open("/dev/full", "wb") as full:
            child = subprocess.run([PLOT, path], stdout=full, stderr=subprocess.PIPE)
        self.assertEqual((child.stderr, child.returncode),
                         (b"neuronet-plot: cannot write standard output: No space left on device\n", 3))


if __name__ == "__main__":
    PLOT, NEURONET, TRANSCRIPTS = sys.argv[1:4]
    MEMORY_LIMITS = "--no-memory-limits" not in sys.argv
    unittest.main(argv=[sys.argv[0]] + [a for a in sys.argv[4:] if a != "--no-memory-limits"])
