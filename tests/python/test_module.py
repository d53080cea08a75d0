"""The module's identity and where it finds the plug-in module."""
import os
import subprocess
import sys

import pytest
import zephyrine

from conftest import environment


def test_version_is_the_projects():
    assert zephyrine.__version__ == environment("ZEPHYRINE_VERSION")


def test_about_is_the_effects():
    assert zephyrine.about().startswith("Zephyrine")
    assert "\r" not in zephyrine.about()


def test_the_plugin_found_is_the_one_installed_with_the_package():
    assert os.path.samefile(zephyrine.plugin_path(), environment("ZEPHYRINE_EXPECTED_PLUGIN"))


def run_python(code, **variables):
    return subprocess.run([sys.executable, "-c", "import numpy, zephyrine\n" + code], capture_output=True,
                          text=True, timeout=120, env={**os.environ, **variables})


def test_missing_plugin_is_named():
    run = run_python("zephyrine.render(numpy.zeros((1, 1, 3), numpy.uint8))", ZEPHYRINE_PLUGIN="/nowhere/zephyrine.so")
    assert "RuntimeError" in run.stderr and "/nowhere/zephyrine.so" in run.stderr


# A child forked after its parent rendered is refused (the parent's worker threads are not in
# it); one forked after the parent only found the plug-in and gave back buffers it never had
# renders as any process.
@pytest.mark.parametrize("before_fork, child_exit", [("zephyrine.render(image)", "3"),
                                                     ("zephyrine.plugin_path()\nzephyrine.release_buffers()", "0")])
def test_forked_child_renders_unless_its_parent_rendered(before_fork, child_exit):
    run = run_python(f"""
image = numpy.zeros((64, 64, 3), numpy.uint8)
{before_fork}
import os
child = os.fork()
if child == 0:
    try:
        zephyrine.render(image)
    except RuntimeError as error:
        os._exit(3 if "fork" in str(error) else 4)
    os._exit(0)
print(os.waitstatus_to_exitcode(os.waitpid(child, 0)[1]))
""")
    assert run.stdout.strip() == child_exit, run.stderr
