"""How a test that cannot run here ends: with exit code 77, which every
Python test is registered with as its SKIP_RETURN_CODE (PythonTests.cmake),
so that ctest reports it skipped; exit 0 would count as passed."""
import shutil
import sys

SKIP = 77


def skip(reason):
    print("skipped: %s" % reason, flush=True)
    sys.exit(SKIP)


def require_programs(*names):
    """Skips unless every named program is on PATH; gives their paths."""
    paths = [shutil.which(name) for name in names]
    missing = [name for name, path in zip(names, paths) if not path]
    if missing:
        skip("%s not found (scripts/setup installs it)" % " and ".join(missing))
    return paths
