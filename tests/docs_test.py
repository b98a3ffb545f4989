#!/usr/bin/env python3
"""A document's session, run as it stands: its Python program saved as the file its text names,
then every `$ ` command of its `text` blocks run by the shell in a folder of its own, with the
built programs first on the PATH, each printing exactly the lines shown under it.
Usage: docs_test.py DOCUMENT PROGRAM_DIR... [unittest arguments]"""

import os
import re
import subprocess
import sys
import tempfile
import unittest


class Session(unittest.TestCase):
    def test_every_command_prints_what_the_document_shows(self):
        with open(DOCUMENT) as file:
            text = file.read()
        program = re.search(r"```python\n(.*?)```", text, re.S).group(1)
        name = re.search(r"save\s+the\s+program\s+as\s+`([^`]+)`", text).group(1)
        commands = []
        for block in re.findall(r"```text\n(.*?)```", text, re.S):
            for line in block.splitlines(True):
                if line.startswith("$ "):
                    commands.append([line[2:], ""])
                elif commands:
                    commands[-1][1] += line
        self.assertTrue(commands)
        path = os.pathsep.join([*PROGRAMS, os.environ["PATH"]])
        with tempfile.TemporaryDirectory() as folder:
            with open(os.path.join(folder, name), "w") as file:
                file.write(program)
            for command, shown in commands:
                with self.subTest(command):
                    done = subprocess.run(command, shell=True, cwd=folder, capture_output=True,
                                          text=True, env={**os.environ, "PATH": path})
                    self.assertEqual((done.stdout, done.stderr), (shown, ""))


if __name__ == "__main__":
    DOCUMENT, PROGRAMS = sys.argv[1], [a for a in sys.argv[2:] if not a.startswith("-")]
    unittest.main(argv=[sys.argv[0]] + [a for a in sys.argv[2:] if a.startswith("-")])
