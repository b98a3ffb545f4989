#!/usr/bin/env python3
"""neuronet-plot end to end: every real transcript drawn, and what its picture says checked
against the transcript's own numbers; its memory and picture size for the worst inputs, and
under every address-space limit. (What its reader rejects, and how it says so, is
TranscriptReaderTest's; its command line, commands_test.py's.)
Usage: plot_test.py PLOT NEURONET [--no-memory-limits] [unittest arguments]"""

import glob
import json
import math
import os
import pathlib
import re
import subprocess
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

from harness import (MEMORY_LIMITS, TESTS, AddressSpace, arguments, fed_with_peak, run,
                     transcript, typed)

SVG = "{http://www.w3.org/2000/svg}"
ROWS = {"0": "0.0", "\u221e": "inf", "not a number": "nan"}  # the error axis's rows apart
LOWEST, HIGHEST = -1.05, 2.25  # the output chart's range at its widest


def plot(text, *options, stdout=subprocess.PIPE):
    return run([PLOT, *options], text=text, stdout=stdout)


def report(text, label):
    """The rest of the report's line with this label."""
    return re.search(rb"\t" + label + rb": (.*)\n", text).group(1).decode()


def run_of(name, steps):
    """A run of `steps` steps made of the transcript's own steps, ending as it ends, in
    pieces."""
    out = transcript(name)
    first, rest = out.index(b"Propagate is: ", out.index(b"Enter D vector")), out.index(b"\n\n---")
    lines = out[first:rest + 1].splitlines(True)
    pairs = [b"".join(lines[k:k + 2]) for k in range(0, len(lines), 2)]
    repeats, more = divmod(steps - 1, len(pairs) - 1)
    ending = re.sub(rb"steps: \d+", b"steps: %d" % steps, out[rest + 1:])
    return [out[:first], *[b"".join(pairs[:-1])] * repeats, *pairs[:more], pairs[-1], ending]


def points(element):
    """The points of an SVG path."""
    return [tuple(map(float, p.split(","))) for p in re.findall(r"[\d.]+,[\d.]+", element.get("d"))]


def squared_error(output, target):
    differences = [float(y) - float(d) for y, d in zip(output.split(), target)]
    return sum((difference * difference for difference in differences), 0.0)


class Pictures(unittest.TestCase):
    def drawn(self, text, *options):
        """The picture of the transcript: drawn whole, small, with every number finite."""
        svg, err, status = plot(text, *options)
        self.assertEqual((err, status), (b"", 0))
        self.assertLess(len(svg), 1_000_000)
        self.assertIsNone(re.search(rb'="[^"]*(nan|inf)', svg))
        return ElementTree.fromstring(svg)

    def assert_texts_inside(self, root):
        """Every text within the picture's width, and none shows "-0"."""
        for t in root.iter(SVG + "text"):
            width = len(t.text) * float(t.get("font-size")) * 0.55
            shift = {"start": 0, "middle": 0.5, "end": 1}[t.get("text-anchor")]
            left = float(t.get("x")) - width * shift
            self.assertTrue(0 <= left and left + width <= float(root.get("width")), t.text)
            self.assertNotRegex(t.text, r"(^|\s)-0(\s|$)")

    def assert_ending_told(self, root, text):
        """Met or stopped, the step count and the last error, as the report gives them; a stop
        reason escaped, wrapped and cut within its panel."""
        texts = [t.text for t in root.iter(SVG + "text")] + [root.find(SVG + "title").text]
        steps = report(text, b"Numer of steps")
        stop = re.search(rb"\nTraining stopped: (.*)\n", text)
        ending = ("stopped at step " if stop else "met the limit at step ") + steps
        title = f"trained for {steps} step" + "s" * (steps != "1")
        self.assertLessEqual({ending, title}, {t.split(" network ")[-1] for t in texts})
        summary = next(t for t in texts if "report gives" in t)
        stated = re.search(r"as ([\w.+-]+|not a number)( \(|\.$)", summary).group(1)
        reported = re.sub(r"-?nan", "not a number", report(text, b"E is"))
        self.assertEqual(stated, reported.replace("inf", "infinite"))
        if stop:
            lines = [t.text for t in root.find(f".//{SVG}g[@class='stop-reason']")[1:]]
            shown = "".join(lines).replace(" ", "").rstrip("\u2026").encode()
            whole = (b"Training stopped: " + stop.group(1)).replace(b" ", b"")
            self.assertLessEqual(len(lines), 4)
            self.assertTrue(re.sub(rb"[^\x21-\x7e]", b"?", whole).startswith(shown), shown)

    def error_position(self, root):
        """Where the error axis draws an error: its decades, labelled in one format, on one
        logarithmic line; zero, infinity and NaN on rows of their own."""
        axis = list(root.find(f".//{SVG}g[@class='error-axis']"))
        labels = [(float(a.get("y1")), b.text) for a, b in zip(axis, axis[1:])
                  if (a.tag, b.tag) == (SVG + "line", SVG + "text")]
        rows = {ROWS[t]: y for y, t in labels if t in ROWS}
        decades = [(y, math.log10(float(t))) for y, t in labels if t not in ROWS]
        self.assertEqual(len({"e" in t for _, t in labels if t not in ROWS}), 1, labels)
        (y0, d0), (y1, d1) = decades[0], decades[-1]

        def at(error):
            if str(error) in ROWS.values():
                return rows[str(error)]
            return y0 + (math.log10(error) - d0) * (y1 - y0) / (d1 - d0)
        for y, d in decades:
            self.assertAlmostEqual(y, at(10 ** d), delta=0.1)
        return at

    def assert_errors_placed(self, root, text):
        """The limit, the first step's error and the last one where the axis puts them, and
        the end's label clear of every error."""
        at, group = self.error_position(root), lambda name: root.find(f".//{SVG}g[@class='{name}']")
        limit = float(group("limit").find(SVG + "line").get("y1"))
        self.assertAlmostEqual(limit, at(0.2), delta=0.1)
        errors, target = group("errors"), report(text, b"D is").split()
        drawn = points(errors.find(SVG + "path"))
        drawn += [(float(c.get("cx")), float(c.get("cy"))) for c in errors.iter(SVG + "circle")]
        for x, label in [(min(drawn)[0], b"First step is"), (max(drawn)[0], b"Result is")]:
            error = squared_error(report(text, label), target)
            self.assertTrue(any(abs(y - at(error)) < 0.1 for px, y in drawn if px == x), label)
        steps = report(text, b"Numer of steps")
        end = next(t for t in root.iter(SVG + "text") if t.text.endswith("at step " + steps))
        self.assertLess(float(end.get("y")), min(y for _, y in drawn) - 4, "the end's label")

    def assert_targets_told(self, root, text):
        """Every target in the legend, and one off the chart said to be on its side."""
        legend = [t.text for t in root.iterfind(f".//{SVG}g[@class='legend']/{SVG}text")]
        for entry, d in zip(legend, map(float, report(text, b"D is").split()), strict=True):
            shown = float(entry.split()[3].rstrip(","))
            self.assertTrue(math.isclose(shown, d, rel_tol=1e-3, abs_tol=1e-9), entry)
            self.assertEqual(("above the chart" in entry, "below the chart" in entry),
                             (d > HIGHEST, d < LOWEST), entry)

    def test_every_real_transcript_tells_the_truth(self):
        # The shared cases and our own; the program's runs with huge, tiny and unreadable
        # numbers (diagnostics mixed in), off the chart and matching to the last decimal; an
        # error that is not a number; and the cases made to draw.
        texts = [pathlib.Path(f).read_bytes()
                 for f in glob.glob(os.path.join(TESTS, "*transcripts/*.out"))]
        texts += [run([NEURONET], text=numbers, stderr=subprocess.STDOUT)[0] for numbers in [
            b"1e308 -1e308 1e308 0.5 0.5 0.5", b"1e-300 1e-310 -0 0.5 0.5 0.5",
            b"1 2 3 -123.456 1000000 0.5", b"1 2 3 0.706 0.698 0.662",
            b"1 2 3 1.7e308 -1.7e308 0.5", b"1 2 3 0.5 0.5 y", b"1 x 3 0.5 0.5 0.5"]]
        one = transcript("platform-one-step").replace(b"0.706 0.698 0.662 ", b" nan 0.698 0.662 ")
        one = one.replace(b"\n\n---", b"\nTraining stopped: x\n\n---", 1)
        texts.append(re.sub(rb"\tE is: .*\n", b"\tE is: -nan\n", one))
        # A diagnostic after the farewell, as 2>&1 mixes it in; a stop reason of many lines.
        texts.append(transcript("platform-one-step") + b"neuronet: the input ended\n")
        texts.append(transcript("platform-out-of-reach").replace(
            b"Training stopped: ", b"Training stopped: " + b'<a> & "b" \x01\xff word ' * 3000))
        for k, text in enumerate(texts):
            with self.subTest(k):
                root = self.drawn(text)
                self.assert_texts_inside(root)
                self.assert_ending_told(root, text)
                self.assert_errors_placed(root, text)
                self.assert_targets_told(root, text)


    def assert_connections_follow(self, root, numbers):
        """Each connection as wide as its weight (after the step) is large, up to a readable
        width, and one not a number as the widest; coloured as the legend says of its change's
        sign, shaded by its size, the largest and one not finite the darkest."""
        lines = root.find(f".//{SVG}g[@class='connections']").findall(SVG + "line")
        drawn = [(float(a.get("stroke-width")), a.get("stroke"), float(a.get("stroke-opacity", 1)))
                 for a in lines]
        pairs = list(zip(numbers, drawn, strict=True))
        size = lambda x: math.inf if math.isnan(x) else abs(x)
        widths = [width for _, (width, _, _) in sorted(pairs, key=lambda p: size(p[0][0]))]
        shades = [shade for _, (_, _, shade) in sorted(pairs, key=lambda p: size(p[0][1]))]
        self.assertTrue(widths == sorted(widths) and len(set(widths)) > 5 and widths[-1] < 5)
        self.assertTrue(shades == sorted(shades) and shades[-1] == 1)
        legend = {b.text: a.get("stroke") for a, b in zip(root, root[1:])
                  if b.text in ("increased", "decreased", "unchanged")}
        for (_, change), (_, colour, _) in pairs:
            sign = "increased" if change > 0 else "decreased" if change < 0 else "unchanged"
            self.assertEqual(colour, legend[sign])
        largest = max(abs(d) for _, d in numbers if math.isfinite(d))
        self.assertTrue(any(t.text.endswith(f"largest, {largest:.3g}.") for t in root.iter(SVG + "text")))

    def test_a_step_view_draws_the_traced_weights_and_changes(self):
        # Steps of the platform's long run, and its first with weights and changes that are not
        # finite, or huge, put in.
        text = transcript("platform-long")
        odd = {(0, 0, 0): "NaN", (1, 0, 1): "Infinity", (3, 2, 0): "-Infinity", (3, 1, 1): 1e300}
        with tempfile.TemporaryDirectory() as folder, typed() as answers:
            trace = os.path.join(folder, "trace.jsonl")
            run([NEURONET, "--trace", trace, "--trace-steps", "1,2718,5203"], stdin=answers)
            lines = pathlib.Path(trace).read_text().splitlines()
            for step, edits in [(1, {}), (2718, {}), (5203, {}), (1, odd)]:
                with self.subTest(step=step, edits=edits):
                    line = next(json.loads(a) for a in lines if f'"step":{step},' in a)
                    for (g, i, j), value in edits.items():
                        line["layers"][g]["W"][i][j] = line["layers"][g]["dW"][i][j] = value
                    pathlib.Path(trace + "x").write_text("\n".join(lines[:2] + [json.dumps(line)]))
                    root = self.drawn(text, "--trace", trace + "x", "--step", str(step))
                    self.assert_texts_inside(root)
                    self.assertEqual(root.find(SVG + "title").text,
                                     f"neuronet: a 3-1-3-9-3 network at step {step}")
                    self.assert_connections_follow(root, [
                        (float(w), float(d)) for layer in line["layers"]
                        for ws, ds in zip(layer["W"], layer["dW"]) for w, d in zip(ws, ds)])


class BoundedMemory(AddressSpace):
    def test_worst_inputs_in_bounded_memory_and_size(self):
        head = transcript("empty-second-layer").split(b"Matrix is:\nMatrix is:\n")[0]
        outputs = transcript("empty-before-output").split(b"Propagate")[0]
        worst = [("ten million steps", run_of("platform-long", 10_000_000), 0),
                 ("nine outputs", run_of("largest", 20_000), 0),
                 ("a gigabyte line", (b"1" * (1 << 20) for _ in range(1024)), 1),
                 ("a layer of a million neurons", [head, b"Matrix is:\nMatrix is:\n",
                                                   b"\t0.5\t0.5\n" * 1_000_000], 1),
                 ("30,000 outputs", [outputs, b"Propagate is: ", b"0.610 " * 30_000, b"\n"], 1)]
        for name, pieces, expected in worst:
            with self.subTest(name):
                status, picture, err, peak = fed_with_peak([PLOT], pieces)
                self.assertEqual(status, expected, err)
                # Not under the sanitizers, whose own memory would count.
                self.assertLess(peak if MEMORY_LIMITS else 0, 16 * 1024, "peak resident KiB")
                self.assertLess(len(picture), 1_000_000)
                if status == 0:  # thinned evenly, the first step and the last kept
                    errors = ElementTree.fromstring(picture).find(f"{SVG}g[@class='errors']")
                    xs = [x for x, _ in points(errors.find(SVG + "path"))]
                    gaps = {round(b - a, 1) for a, b in zip(xs, xs[1:-1])}
                    self.assertTrue(1000 < len(xs) <= 2001 and (xs[0], xs[-1]) == (100, 720))
                    self.assertLessEqual(max(gaps) - min(gaps), 0.1)

    def test_every_address_space_limit_ends_in_a_documented_way(self):
        # A picture is never cut short: memory runs out before any of it is written.
        one, outcomes = transcript("platform-one-step"), set()
        for options, whole in [([], plot(one)[0]), (["--version"], b"neuronet-plot 1.0\n")]:
            outcomes |= self.assert_every_limit_ends_in_a_documented_way(
                [PLOT, *options], one, whole, b"neuronet-plot: out of memory\n", b"")
        self.assertTrue({0, 3} <= outcomes, outcomes)


if __name__ == "__main__":
    (PLOT, NEURONET), argv = arguments(2)
    unittest.main(argv=argv)
