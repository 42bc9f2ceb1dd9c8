#!/usr/bin/env python3
"""Runs the layer checker on small trees: one that keeps the order, and
trees with an include from a higher layer, from a peer, and from a test."""
import pathlib
import subprocess
import sys
import tempfile
import unittest

CHECKER = sys.argv.pop(1) if len(sys.argv) > 1 else "tools/check-layers.py"
LAYERS = ["core", "platform/data", "platform/paradox", "engine", "cli|app"]


def run_checker(files):
    with tempfile.TemporaryDirectory() as root:
        for name, text in files.items():
            path = pathlib.Path(root, name)
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_text(text)
        return subprocess.run(["/usr/bin/python3", CHECKER, root, *LAYERS],
                              capture_output=True, text=True)


GOOD = {
    "core/Variant.h": '#include <string>\n',
    "platform/data/DataSet.h": '#include "core/Variant.h"\n',
    "platform/paradox/Table.h": '#include "platform/data/DataSet.h"\n#include "Header.h"\n',
    "engine/Tessel.h": '#include "platform/paradox/Table.h"\n#include "engine/Row.h"\n',
    "cli/Main.cpp": '#include "engine/Tessel.h"\n',
    "app/Main.cpp": '#include "engine/Tessel.h"\n#include "Main.moc"\n',
    "tests/engine/TesselTest.cpp": '#include "engine/Tessel.h"\n#include "tests/support/TestPaths.h"\n',
}


class LayerCheckerTest(unittest.TestCase):
    def test_tree_in_order_passes(self):
        result = run_checker(GOOD)
        self.assertEqual(result.returncode, 0, result.stderr)

    def test_include_from_a_higher_layer_fails(self):
        result = run_checker(GOOD | {"core/Variant.h": '#include "engine/Tessel.h"\n'})
        self.assertEqual(result.returncode, 1)
        self.assertIn('core/Variant.h:1: includes "engine/Tessel.h"', result.stderr)

    def test_platform_layer_below_may_not_include_one_above(self):
        result = run_checker(GOOD | {"platform/data/DataSet.h": '#include "platform/paradox/Table.h"\n'})
        self.assertEqual(result.returncode, 1)

    def test_peers_do_not_include_each_other(self):
        result = run_checker(GOOD | {"cli/Main.cpp": '#include "app/MainWindow.h"\n'})
        self.assertEqual(result.returncode, 1)
        self.assertIn("not below cli", result.stderr)

    def test_tests_follow_the_layer_they_test(self):
        result = run_checker(GOOD | {"tests/core/CoreTest.cpp": '#include "engine/Tessel.h"\n'})
        self.assertEqual(result.returncode, 1)


if __name__ == "__main__":
    unittest.main()
