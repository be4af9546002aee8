#!/usr/bin/env python3
"""The layering check: it passes a tree that keeps to the layers and names, by file and line,
every include that crosses a forbidden line in a small tree built for each case.

    layers_test.py PATH/TO/scripts/layers.py
"""
import importlib.util
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.abspath(sys.argv.pop(1) if len(sys.argv) > 1 else
                         os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "layers.py"))
spec = importlib.util.spec_from_file_location("layers", SCRIPT)
layers = importlib.util.module_from_spec(spec)
spec.loader.exec_module(layers)

# A tree shaped like the project, every include allowed.
CLEAN = {
    "bytes/little_endian.hpp": "#include <cstdint>\n",
    "fs/text.hpp": "#include <string>\n",
    "pst/ndb/node.hpp": '#include <cstdint>\n#include "pst/pst_error.hpp"\n#include "bytes/little_endian.hpp"\n',
    "pst/pst_error.hpp": "",
    "msg/msg_reader.hpp": '#include "msg/message.hpp"\n#include "bytes/little_endian.hpp"\n',
    "msg/message.hpp": "",
    "seams/store_service.hpp": '#include "fs/text.hpp"\n',
    "seams/run_state.hpp": '#include "seams/store_service.hpp"\n',
    "engine/start_migration.hpp": '#include "seams/run_state.hpp"\n#include "fs/text.hpp"\n',
    "run/run_driver.cpp": '#include "engine/start_migration.hpp"\n#include "seams/run_state.hpp"\n',
    "store/pst_store_service.hpp": '#include "seams/store_service.hpp"\n#include "pst/ndb/node.hpp"\n'
                                   '#include "msg/msg_reader.hpp"\n',
    "cli/cmd_convert.cpp": '#include "run/run_driver.cpp"\n#include "store/pst_store_service.hpp"\n',
    "cli/cmd_check.cpp": '#include "pst/pst_error.hpp"\n',
    "cli/cmd_sample.cpp": '#include "msg/message.hpp"\n',
    "ui/wizard.cpp": '#include <QWidget>\n#include <QtCore/QString>\n#include "seams/run_state.hpp"\n',
    "app/main.cpp": '#include "ui/wizard.cpp"\n#include "cli/cmd_convert.cpp"\n',
    "tests/support/recorders.hpp": '#include "seams/run_state.hpp"\n',
    "tests/ui/modal_answerer.hpp": "#include <QTimer>\n",
    "tests/ui/wizard_test.cpp": '#include "modal_answerer.hpp"\n#include "support/recorders.hpp"\n',
    "bench/wizard/overhead.cpp": '#include "tests/ui/modal_answerer.hpp"\n#include "store/pst_store_service.hpp"\n',
}


def build(tree, files):
    for relative, text in files.items():
        path = os.path.join(tree, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as out:
            out.write(text)


class LayeringCheck(unittest.TestCase):
    def found(self, planted):
        """The violations in the clean tree with `planted` added (file: text)."""
        with tempfile.TemporaryDirectory() as tree:
            build(tree, {**CLEAN, **planted})
            return layers.violations(tree)

    def test_the_project_table_has_no_unknown_layer_and_no_cycle(self):
        self.assertEqual(layers.table_errors(), [])

    def test_a_tree_that_keeps_to_the_layers_passes(self):
        self.assertEqual(self.found({}), [])

    def test_each_forbidden_line_is_named_by_file_and_line(self):
        cases = {
            "core to Qt": ("engine/progress.cpp", "#include <string>\n#include <QString>\n", 2, "Qt"),
            "core to ui": ("cli/cmd_scan.cpp", '#include "ui/wizard.cpp"\n', 1, "ui"),
            "pst to msg": ("pst/ltp/heap.cpp", '#include <vector>\n\n#include "msg/message.hpp"\n', 3, "msg"),
            "msg to pst": ("msg/cfb.cpp", '#include "pst/pst_error.hpp"\n', 1, "pst"),
            "pst to store": ("pst/writer.cpp", '#include "store/pst_store_service.hpp"\n', 1, "store"),
            "bytes up to a format": ("bytes/more.hpp", '#include "pst/pst_error.hpp"\n', 1, "pst"),
            "fs to bytes": ("fs/names.cpp", '#include "bytes/little_endian.hpp"\n', 1, "bytes"),
            "msg to engine": ("msg/props.cpp", '#include "engine/start_migration.hpp"\n', 1, "engine"),
            "fs to anything above": ("fs/listing.cpp", '#include "fs/text.hpp"\n#include "seams/run_state.hpp"\n', 2,
                                     "seams"),
            "engine to the concrete store": ("engine/import.cpp", '#include "store/pst_store_service.hpp"\n', 1,
                                             "store"),
            "engine back up to run": ("engine/start.cpp", '#include "run/run_driver.cpp"\n', 1, "run"),
            "seams up to engine": ("seams/run_seams.hpp", '#include "engine/start_migration.hpp"\n', 1, "engine"),
            "ui to tests": ("ui/bench/overhead.cpp", '#include "tests/ui/modal_answerer.hpp"\n', 1, "tests"),
            "cli past the store": ("cli/cmd_convert2.cpp", '#include "pst/ndb/node.hpp"\n', 1, "pst"),
            "spelled relatively": ("engine/deep/x.cpp", '#include "../../store/pst_store_service.hpp"\n', 1, "store"),
        }
        for name, (relative, text, line, target) in cases.items():
            with self.subTest(name):
                found = self.found({relative: text})
                self.assertEqual(len(found), 1, found)
                self.assertEqual(found[0][:2], (relative, line))
                self.assertIn(f"(layer '{target}')", found[0][2])

    def test_a_file_exception_is_for_that_file_only(self):
        self.assertEqual(self.found({"cli/cmd_inspect.cpp": '#include "pst/pst_error.hpp"\n'}), [])
        found = self.found({"cli/cmd_check.cpp": '#include "msg/message.hpp"\n'})
        self.assertEqual([f[:2] for f in found], [("cli/cmd_check.cpp", 1)])

    def test_a_folder_outside_the_table_is_reported(self):
        found = self.found({"tools/x.cpp": '#include "fs/text.hpp"\n'})
        self.assertEqual(len(found), 1)
        self.assertIn("'tools' is in no layer", found[0][2])

    def test_a_build_folder_inside_the_tree_is_not_read(self):
        found = self.found({"build/CMakeCache.txt": "", "build/ui/moc_wizard.cpp": '#include "tests/ui/x.hpp"\n'})
        self.assertEqual(found, [])

    def test_a_table_with_a_two_way_edge_is_refused(self):
        table = dict(layers.LAYERS)
        table["engine"] = ("", table["engine"][1] + ["run"])
        errors = layers.table_errors(table)
        self.assertTrue(any("cycle" in e and "run" in e and "engine" in e for e in errors), errors)
        table["engine"] = ("", ["nowhere"])
        self.assertIn("layer 'engine' lists unknown layer 'nowhere'", layers.table_errors(table))

    def test_the_program_fails_and_prints_file_and_line(self):
        with tempfile.TemporaryDirectory() as tree:
            build(tree, {**CLEAN, "pst/bad.cpp": '\n#include "msg/message.hpp"\n'})
            run = subprocess.run([sys.executable, SCRIPT, tree], capture_output=True, text=True)
            self.assertEqual(run.returncode, 1, run.stdout)
            self.assertIn("pst/bad.cpp:2: 'pst' may not include msg/message.hpp (layer 'msg')", run.stdout)
            os.remove(os.path.join(tree, "pst/bad.cpp"))
            run = subprocess.run([sys.executable, SCRIPT, tree], capture_output=True, text=True)
            self.assertEqual(run.returncode, 0, run.stdout)


if __name__ == "__main__":
    unittest.main()
