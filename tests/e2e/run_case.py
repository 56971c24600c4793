"""Runs one test case of an end-to-end test module: run_case.py MODULE_FILE CASE.

When there is no display it runs itself inside a private Xvfb display
(tools/with-xvfb), so that a single test can be run alone with ctest -R.
"""

import importlib.util
import os
import sys
import unittest

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.dirname(os.path.dirname(here))

if not os.environ.get("DISPLAY"):
    with_xvfb = os.path.join(root, "tools", "with-xvfb")
    os.execv(with_xvfb, [with_xvfb, sys.executable] + sys.argv)

sys.path.insert(0, here)
module_file, case = sys.argv[1], sys.argv[2]
loader_source = importlib.util.spec_from_file_location(
    os.path.splitext(os.path.basename(module_file))[0], module_file)
module = importlib.util.module_from_spec(loader_source)
loader_source.loader.exec_module(module)
suite = unittest.defaultTestLoader.loadTestsFromName(case, module)
result = unittest.TextTestRunner(verbosity=2, stream=sys.stdout).run(suite)
sys.exit(0 if result.wasSuccessful() else 1)
