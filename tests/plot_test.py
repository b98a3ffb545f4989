#!/usr/bin/env python3
"""neuronet-plot end to end. Usage: plot_test.py PLOT NEURONET TRANSCRIPTS [--no-memory-limits] [unittest arguments]"""

import contextlib
import glob
import math
import os
import re
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

SVG = "{http://www.w3.org/2000/svg}"
ROWS = {"0": "0.0", "\u221e": "inf", "not a number": "nan"}  # the error axis's rows apart
USAGE = b"Usage: neuronet-plot [--help | --version] [--] [TRANSCRIPT]\n"


def transcript(name):
    with open(os.path.join(TRANSCRIPTS, f"{name}.out"), "rb") as file:
        return file.read()


def plot(text, *arguments, stdout=subprocess.PIPE, limit=None):
    command = (["prlimit", f"--as={limit}"] if limit else []) + [PLOT, *arguments]
    child = subprocess.run(command, input=text, stdout=stdout, stderr=subprocess.PIPE, timeout=60)
    return child.stdout, child.stderr, child.returncode


def report(text, label):
    return re.search(rb"\t" + label + rb": (.*)\n", text).group(1).decode()


def cases_made():
    """plot-cases.tsv: (name, input, status, the start of the line on standard error)."""
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "plot-cases.tsv")) as table:
        for name, source, pattern, replacement, repeat, status, err in (
                line.rstrip("\n").split("\t") for line in table if not line.startswith("#")):
            piece = replacement.encode().decode("unicode_escape").encode("latin-1") * int(repeat)
            text = re.sub(pattern.encode(), lambda _: piece, transcript(source) if source != "-" else b"", count=1)
            yield name, text, int(status), err.encode()


def run_of(name, steps):
    """A run of `steps` steps made of the transcript's own steps, ending as it ends, in pieces."""
    out = transcript(name)
    first, rest = out.index(b"Propagate is: ", out.index(b"Enter D vector")), out.index(b"\n\n---") + 1
    pairs = [b"".join(pair) for pair in zip(*[iter(out[first:rest].splitlines(True))] * 2)]
    block, (repeats, more) = b"".join(pairs[:-1]), divmod(steps - 1, len(pairs) - 1)
    return [out[:first], *[block] * repeats, *pairs[:more], pairs[-1], re.sub(rb"steps: \d+", b"steps: %d" % steps, out[rest:])]


class Pictures(unittest.TestCase):
    def assert_truthful(self, text):
        """Draws the transcript and checks what the picture says against the transcript's numbers."""
        svg, err, code = plot(text)  # bounded, and every coordinate and width finite
        self.assertEqual((err, code, len(svg) < 1_000_000, re.search(rb'="[^"]*(nan|inf)', svg)), (b"", 0, True, None))
        root, group = ElementTree.fromstring(svg), lambda name: root.find(f".//{SVG}g[@class='{name}']")
        texts = [t.text for t in root.iter(SVG + "text")] + [root.find(SVG + "title").text]
        for t in root.iter(SVG + "text"):  # inside the picture, and never "-0"
            width = len(t.text) * float(t.get("font-size")) * 0.55
            left = float(t.get("x")) - width * {"start": 0, "middle": 0.5, "end": 1}[t.get("text-anchor")]
            self.assertTrue(0 <= left <= left + width <= float(root.get("width")) and not re.search(r"(^|\s)-0(\s|$)", t.text), t.text)
        steps, stop = report(text, b"Numer of steps"), re.search(rb"\nTraining stopped: (.*)\n", text)
        self.assertLessEqual({("stopped at step " if stop else "met the limit at step ") + steps,
                              f"trained for {steps} step" + "s" * (steps != "1")}, {t.split(" network ")[-1] for t in texts})
        stated = re.search(r"as ([\w.+-]+|not a number)( \(|\.$)", next(t for t in texts if "report gives" in t)).group(1)
        self.assertEqual(stated, re.sub(r"-?nan", "not a number", report(text, b"E is")).replace("inf", "infinite"))
        if stop:  # the reason, escaped, wrapped and cut within its panel
            lines, reason = [t.text for t in group("stop-reason")[1:]], b"Training stopped: " + stop.group(1)
            shown = "".join(lines).replace(" ", "").rstrip("\u2026").encode()
            self.assertTrue(len(lines) <= 4 and re.sub(rb"[^\x21-\x7e]", b"?", reason.replace(b" ", b"")).startswith(shown))
        # The log axis: its decades, labelled in one format, on one line; the limit and the first
        # and the last error where that line puts them, or on the row of their word.
        axis = list(group("error-axis"))
        labels = [(float(a.get("y1")), b.text) for a, b in zip(axis, axis[1:]) if (a.tag, b.tag) == (SVG + "line", SVG + "text")]
        rows, decades = {ROWS[t]: y for y, t in labels if t in ROWS}, [(y, math.log10(float(t))) for y, t in labels if t not in ROWS]
        self.assertEqual(len({"e" in t for y, t in labels if t not in ROWS}), 1)
        (y0, d0), (y1, d1) = decades[0], decades[-1]
        at = lambda e: rows[str(e)] if str(e) in rows.keys() | set(ROWS.values()) else y0 + (math.log10(e) - d0) * (y1 - y0) / (d1 - d0)
        for y, d in decades + [(float(group("limit").find(SVG + "line").get("y1")), math.log10(0.2))]:
            self.assertAlmostEqual(y, at(10 ** d), delta=0.1)
        errors, target = group("errors"), report(text, b"D is").split()
        drawn = [tuple(map(float, p.split(","))) for p in re.findall(r"[\d.]+,[\d.]+", errors.find(SVG + "path").get("d"))]
        drawn += [(float(c.get("cx")), float(c.get("cy"))) for c in errors.iter(SVG + "circle")]
        for x, output in [(min(drawn)[0], report(text, b"First step is")), (max(drawn)[0], report(text, b"Result is"))]:
            error = sum(((float(y) - float(d)) * (float(y) - float(d)) for y, d in zip(output.split(), target)), 0.0)
            self.assertTrue(any(abs(y - at(error)) < 0.1 for px, y in drawn if px == x), (x, output))
        self.assertLess(float(next(t for t in root.iter(SVG + "text") if t.text.endswith("at step " + steps)).get("y")),
                        min(y for _, y in drawn) - 4, "the end's label clear of every error")
        legend = [t.text for t in root.iterfind(f".//{SVG}g[@class='legend']/{SVG}text")]
        for entry, d in zip(legend, map(float, target), strict=True):  # the chart shows -1.05 to 2.25 at most
            self.assertEqual((math.isclose(float(entry.split()[3].rstrip(",")), d, rel_tol=1e-3, abs_tol=1e-9), "above the chart" in entry,
                              "below the chart" in entry), (True, d > 2.25, d < -1.05), entry)

    def test_every_real_transcript_tells_the_truth(self):
        # The shared cases and our own; the program's runs with huge, tiny and unreadable numbers
        # (diagnostics mixed in), off the chart and matching to the last decimal; an error that is
        # not a number; and the cases made to draw.
        texts = [transcript(os.path.abspath(f)[:-4]) for f in glob.glob(os.path.join(TRANSCRIPTS, "..", "*transcripts", "*.out"))]
        texts += [subprocess.run([NEURONET], input=numbers, stdout=subprocess.PIPE, stderr=subprocess.STDOUT).stdout for numbers in [
            b"1e308 -1e308 1e308 0.5 0.5 0.5", b"1e-300 1e-310 -0 0.5 0.5 0.5", b"1 2 3 -123.456 1000000 0.5",
            b"1 2 3 0.706 0.698 0.662", b"1 2 3 1.7e308 -1.7e308 0.5", b"1 2 3 0.5 0.5 y", b"1 x 3 0.5 0.5 0.5"]]
        one = transcript("platform-one-step").replace(b"0.706 0.698 0.662 ", b" nan 0.698 0.662 ")
        texts += [re.sub(rb"\tE is: .*\n", b"\tE is: -nan\n", one.replace(b"\n\n---", b"\nTraining stopped: x\n\n---"))]
        for k, text in enumerate(texts + [text for _, text, status, _ in cases_made() if status == 0]):
            with self.subTest(k):
                self.assert_truthful(text)


class UnusableInput(unittest.TestCase):
    def test_one_line_saying_what_was_expected_and_where(self):
        cuts = [(f"cut at byte {k}", whole[:k], 1, b"line ")  # the table, and a transcript cut anywhere
                for whole in [transcript("platform-one-step")] for k in range(0, len(whole) - 1, 3)]
        for name, text, status, message in [*cases_made(), *cuts]:
            with self.subTest(name):
                svg, err, code = plot(text)
                self.assertEqual((code, svg == b"", err.count(b"\n")), (status, status == 1, status), err)
                self.assertTrue(err.startswith(b"neuronet-plot: " + message if message else b""), err)

    def test_the_command_line(self):
        one, path = transcript("platform-one-step"), os.path.join(TRANSCRIPTS, "platform-one-step.out")
        full = b"neuronet-plot: cannot write standard output: No space left on device\n"
        for arguments, stdout, expected in [
                (["--version"], None, (b"neuronet-plot 1.0\n", b"", 0)), ([path], None, (picture := plot(one)[0], b"", 0)),
                (["-"], None, (picture, b"", 0)), (["--", path], None, (picture, b"", 0)), ([path], "/dev/full", (None, full, 3)),
                (["--version"], "/dev/full", (None, full, 3)), (["--help"], "/dev/full", (None, full, 3)),
                (["--bogus"], None, (b"", b'neuronet-plot: unknown option "--bogus"\n' + USAGE, 64)),
                ([path, "-"], None, (b"", b'neuronet-plot: more than one transcript: "-"\n' + USAGE, 64)),
                (["--", "--help"], None, (b"", b'neuronet-plot: cannot open "--help": No such file or directory\n', 3)),
                (["a\nb"], None, (b"", b'neuronet-plot: cannot open "a\\x0ab": No such file or directory\n', 3)),
                (["/"], None, (b"", b'neuronet-plot: cannot read "/": Is a directory\n', 3)),
                (["/dev/zero"], None, (b"", b"neuronet-plot: line 1: a line longer than 64 KiB, which no transcript has\n", 1))]:
            with self.subTest(arguments), open(stdout or os.devnull, "wb") as device:
                self.assertEqual(plot(one, *arguments, stdout=device if stdout else subprocess.PIPE), expected)
        self.assertTrue(plot(b"", "--help")[0].startswith(USAGE))


class BoundedMemory(unittest.TestCase):
    def test_worst_inputs_in_bounded_memory_and_size(self):
        worst = [("ten million steps", run_of("platform-long", 10_000_000), 0), ("nine outputs", run_of("largest", 20_000), 0),
                 ("a gigabyte line", (b"1" * (1 << 20) for _ in range(1024)), 1)]
        for name, pieces, status in worst + [(name, [text], 1) for name, text, _, _ in cases_made() if "000" in name]:
            with self.subTest(name), tempfile.NamedTemporaryFile() as peak, tempfile.TemporaryFile() as svg, \
                    subprocess.Popen(["/usr/bin/time", "-f", "%M", "-o", peak.name, PLOT],
                                     stdin=subprocess.PIPE, stdout=svg, stderr=subprocess.PIPE) as child:
                with contextlib.suppress(BrokenPipeError):  # once the input is rejected
                    child.stdin.writelines(pieces)
                    child.stdin.close()
                self.assertEqual(child.wait(timeout=120), status, child.stderr.read())
                # Not under the sanitizers, whose own memory would count.
                self.assertLess(int(peak.read().split()[-1]) if MEMORY_LIMITS else 0, 16 * 1024, "peak resident KiB")
                picture = os.pread(svg.fileno(), 2_000_000, 0)
            self.assertLess(len(picture), 1_000_000)
            if status == 0:  # thinned evenly, the first step and the last kept
                path = ElementTree.fromstring(picture).find(f"{SVG}g[@class='errors']/{SVG}path").get("d")
                xs = [float(p.split(",")[0]) for p in re.findall(r"[\d.]+,[\d.]+", path)]
                gaps = {round(b - a, 1) for a, b in zip(xs, xs[1:-1])}
                self.assertTrue(1000 < len(xs) <= 2001 and (xs[0], xs[-1]) == (100, 720) and max(gaps) - min(gaps) <= 0.1)

    def test_every_address_space_limit_ends_in_a_documented_way(self):
        if not MEMORY_LIMITS:
            self.skipTest("the sanitizers reserve address space of their own")
        # Below some limit the system cannot load the program (127); just above it, memory runs
        # out (3, one line); higher still, the whole answer. Never an abort, never a cut picture.
        one, low, high, outcomes = transcript("platform-one-step"), 1024, 64 * 1024, set()
        while high - low > 4:
            middle = (low + high) // 2
            low, high = (middle, high) if plot(one, limit=middle * 1024)[2] == 127 else (low, middle)
        for arguments, whole in [([], plot(one)[0]), (["--version"], b"neuronet-plot 1.0\n")]:
            for kib in range(high - 16, high + 400, 4):
                out, err, status = plot(one, *arguments, limit=kib * 1024)
                outcomes.add(status)
                self.assertIn((status, out, err) if status != 127 else 127, [127, (3, b"", b"neuronet-plot: out of memory\n"), (0, whole, b"")], kib)
        self.assertTrue({0, 3} <= outcomes, outcomes)


if __name__ == "__main__":
    PLOT, NEURONET, TRANSCRIPTS = sys.argv[1:4]
    MEMORY_LIMITS = "--no-memory-limits" not in sys.argv
    unittest.main(argv=[sys.argv[0]] + [a for a in sys.argv[4:] if a != "--no-memory-limits"])
