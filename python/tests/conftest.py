"""Shared fixtures: the command line's outputs for the same network and options, to hold
the module's numbers against."""

import json
import os
import pathlib
import subprocess

import pytest

import quorel

SOURCE = pathlib.Path(os.environ.get("QUOREL_SOURCE_DIR", pathlib.Path(__file__).resolve().parents[2]))
BINARY = os.environ.get("QUOREL_BINARY", str(SOURCE / "build" / "quorel"))
PADGETT = SOURCE / "examples" / "padgett_florentine.dat"


def command_line_words(options):
    """The command line's words for keyword options of quorel.analyze."""
    words = []
    for name, value in options.items():
        flag = "--" + name.replace("_", "-")
        if value is True:
            words.append(flag)
        elif value is not False:
            words += [flag, str(value)]
    return words


@pytest.fixture(scope="session")
def run_command_line(tmp_path_factory):
    """Runs the command line on a data file with the options; returns (report, JSON)."""
    done = {}

    def run(data, options):
        key = (str(data), tuple(sorted(options.items())))
        if key not in done:
            folder = tmp_path_factory.mktemp("run")
            subprocess.run(
                [BINARY, "-q", "--data", str(data), "--report", str(folder / "report.out"),
                 "--json", str(folder / "run.json"), *command_line_words(options)],
                check=True, cwd=folder)
            report = (folder / "report.out").read_bytes().decode()
            document = json.loads((folder / "run.json").read_text())
            done[key] = (report, document)
        return done[key]

    return run


@pytest.fixture(scope="session")
def padgett():
    return quorel.read_networks(PADGETT)[0]
