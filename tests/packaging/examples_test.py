#!/usr/bin/python3
"""The examples installed with the documentation, run as a user runs them.

  examples_test.py --vorfjp-send PROGRAM --examples DIR --units DIR --content FILE [TESTCASE...]

--examples is packaging/examples of the source tree (the feed script, the recorded ECB file, the
room-rate plans), --units the build tree's copies of the systemd units, --content the delivered
content file, which every test copies into its own folder before changing it.

The golden exchange-rate values were worked out by hand from the recorded file's rates with bc
at 12 decimals and rounded half up, e.g. USD: 100 x 7.8364 / 1.0887 = 719.794250022963;
x 0.985 = 708.997336... -> 708.997; x 1.015 = 730.591163... -> 730.591.
"""

import argparse
import json
import os
import shlex
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

PATHS = argparse.Namespace()
# Every program run here ends well within this; a hang fails the test instead of the suite.
RUN_SECONDS = 60

# The recorded file, packaging/examples/eurofxref-sample.xml, of 2024-03-15: CNY 7.8364, USD 1.0887,
# GBP 0.85495, HKD 8.5164, JPY 162.14, AUD 1.6579; EUR is 1.
DEFAULT_ROWS = [
    ("708.997", "730.591"),  # USD 719.794250... x 0.985 / x 1.015
    ("771.885", "795.395"),  # EUR 783.64: 771.8854, 795.3946
    ("902.843", "930.340"),  # GBP 916.591613...: 902.842739..., 930.340487...
    ("90.6352", "93.3956"),  # HKD 92.015405...: 90.635174..., 93.395636...
    ("4.76061", "4.90560"),  # JPY 4.833107...: 4.760610..., 4.905603...
    ("465.580", "479.760"),  # AUD 472.670245...: 465.580191..., 479.760299...
]


class Folder:
    """A test's own folder: a copy of the content file and the environment vorfjp-send runs in."""

    def __init__(self, test):
        self._temp = tempfile.TemporaryDirectory(prefix="vorfjp-examples-")
        test.addCleanup(self._temp.cleanup)
        root = Path(self._temp.name)
        self.content = root / "VorFjp.ini"
        self.content.write_bytes(Path(PATHS.content).read_bytes())
        self.root = root
        self.env = dict(os.environ, HOME=str(root), XDG_CONFIG_HOME=str(root / "config"),
                        XDG_DATA_HOME=str(root / "data"), XDG_RUNTIME_DIR=str(root / "runtime"),
                        LC_ALL="C.UTF-8", LANGUAGE="")
        (root / "runtime").mkdir(mode=0o700)

    def run(self, command, stdin=None):
        return subprocess.run(command, input=stdin, capture_output=True, env=self.env, timeout=RUN_SECONDS,
                              check=False)

    def feed(self, *arguments, stdin=None):
        """vorfjp-ecb-rates with the arguments, sending through the build's vorfjp-send to this content."""
        own, passed_on = list(arguments), []
        if "--" in own:
            split = own.index("--")
            own, passed_on = own[:split], own[split + 1:]
        return self.run([script(), "--vorfjp-send", PATHS.vorfjp_send, *own,
                         "--", "--content", str(self.content), *passed_on], stdin)

    def show(self):
        shown = self.run([PATHS.vorfjp_send, "--content", str(self.content), "show"])
        assert shown.returncode == 0, shown.stderr.decode()
        return json.loads(shown.stdout)


def script():
    return str(Path(PATHS.examples) / "vorfjp-ecb-rates")


def sample():
    return Path(PATHS.examples) / "eurofxref-sample.xml"


def sample_text():
    return sample().read_text(encoding="utf-8")


def rows_of(printed):
    """The (a, b) of each row of a --print object; None for a row left as it is."""
    rows = []
    for row in json.loads(printed)["rates"]:
        values = (row.get("a"), row.get("b"))
        rows.append(None if values == (None, None) else values)
    return rows


class PrintedValues(unittest.TestCase):
    def test_each_row_buys_below_and_sells_above_the_mid_rate_in_the_home_currency(self):
        cases = [
            ("the delivered rows, CNY per 100 at 1.5 %", [], DEFAULT_ROWS),
            # 1000 x 0.85495 = 854.95 exactly: x 0.99 = 846.4005 and x 1.01 = 863.4995 sit on a half,
            # which rounds up; a binary float lands either side of it.
            ("another home, a skipped row and the home's own row", ["--home", "GBP", "--unit", "1000", "--margin",
                                                                     "1", "--rows", "-,EUR,JPY,CNY"],
             [None, ("846.401", "863.500"), ("5.22018", "5.32564"), ("108.009", "110.191")]),
            # Per 100000, HKD needs five digits before the point and keeps one decimal.
            ("large values keep one decimal", ["--unit", "100000", "--rows", "HKD,JPY"],
             [("90635.2", "93395.6"), ("4760.61", "4905.60")]),
            # 99.99996 keeps four decimals only as 100.0000, eight characters: one decimal fewer.
            ("a rounding that gains a digit", ["--home", "EUR", "--unit", "99.99996", "--margin", "0",
                                               "--rows", "EUR"], [("100.000", "100.000")]),
        ]
        for name, options, expected in cases:
            with self.subTest(name):
                printed = subprocess.run([script(), "--print", *options, "-"], input=sample().read_bytes(),
                                         capture_output=True, timeout=RUN_SECONDS, check=False)
                self.assertEqual(printed.returncode, 0, printed.stderr.decode())
                self.assertEqual(rows_of(printed.stdout), expected)


class SentThroughVorfjpSend(unittest.TestCase):
    def test_the_rates_reach_the_content_and_nothing_else_changes(self):
        folder = Folder(self)
        before = folder.show()
        fed = folder.feed(str(sample()))
        self.assertEqual(fed.returncode, 0, fed.stderr.decode())
        expected = json.loads(json.dumps(before))
        for row, (a, b) in enumerate(DEFAULT_ROWS):
            expected["rates"][row] = {"a": a, "b": b}
        self.assertEqual(folder.show(), expected)

    def test_a_skipped_row_keeps_its_values(self):
        folder = Folder(self)
        before = folder.show()
        fed = folder.feed("--rows", "-,JPY", "-", stdin=sample().read_bytes())
        self.assertEqual(fed.returncode, 0, fed.stderr.decode())
        expected = json.loads(json.dumps(before))
        expected["rates"][1] = {"a": "4.76061", "b": "4.90560"}
        self.assertEqual(folder.show(), expected)

    def test_vorfjp_sends_own_failure_is_its_exit_status(self):
        folder = Folder(self)
        fed = folder.feed(str(sample()), "--", "--port", str(folder.root / "no-such-tty"), "rates")
        self.assertEqual(fed.returncode, 69, fed.stderr.decode())
        self.assertIn("names no serial port", fed.stderr.decode())
        self.assertEqual(folder.show()["rates"][0], {"a": DEFAULT_ROWS[0][0], "b": DEFAULT_ROWS[0][1]})


class Refusals(unittest.TestCase):
    def test_nothing_is_changed_and_the_status_says_why(self):
        without_cny = "".join(line for line in sample_text().splitlines(keepends=True) if "'CNY'" not in line)
        cut = sample_text()[: len(sample_text()) // 2]
        usd_unreadable = sample_text().replace("rate='1.0887'", "rate='n/a'")
        cases = [
            # name, input text (None: the recorded file), options, status, words in the message, words not in it
            ("no rate for the home currency", without_cny, [], 65, ["CNY"], []),
            ("a file cut short", cut, [], 65, ["not XML"], []),
            ("well-formed but no reference rates", "<html><body/></html>", [], 65, ["no dated rates"], []),
            ("a rate that is no number", usd_unreadable, [], 65, ["USD", "n/a"], []),
            ("values too long for seven characters", None, ["--unit", "100000"], 65,
             ["USD", "EUR", "GBP", "AUD", "--unit"], ["HKD", "JPY"]),
            ("a value the board would show as 0", None, ["--unit", "0.00001", "--rows", "JPY"], 65, ["JPY"], []),
            ("a margin of 100 %", None, ["--margin", "100"], 64, ["--margin"], []),
            ("a row that is no currency code", None, ["--rows", "USD,EURO"], 64, ["EURO"], []),
            ("more rows than the content has", None, ["--rows", ",".join(["USD"] * 11)], 64, ["10 rows"], []),
            ("no such file", None, [str(Path(tempfile.gettempdir()) / "vorfjp-no-such-file.xml")], 66,
             ["cannot be read"], []),
            ("no such vorfjp-send", None, ["--vorfjp-send", "/nonexistent/vorfjp-send"], 69, ["--vorfjp-send"], []),
        ]
        for name, text, options, status, said, unsaid in cases:
            with self.subTest(name):
                folder = Folder(self)
                delivered = folder.content.read_bytes()
                given = [] if any(option.endswith(".xml") for option in options) else ["-"]
                stdin = (text if text is not None else sample_text()).encode()
                fed = folder.feed(*options, *given, stdin=stdin)
                message = fed.stderr.decode()
                self.assertEqual(fed.returncode, status, message)
                for word in said:
                    self.assertIn(word, message)
                for word in unsaid:
                    self.assertNotIn(word, message)
                self.assertEqual(folder.content.read_bytes(), delivered)


def exec_condition(unit):
    """The ExecCondition= command of a unit as the shell gets it: %% and $$ unescaped."""
    for line in (Path(PATHS.units) / unit).read_text(encoding="utf-8").splitlines():
        if line.startswith("ExecCondition="):
            return [word.replace("%%", "%").replace("$$", "$")
                    for word in shlex.split(line.removeprefix("ExecCondition="))]
    raise AssertionError(f"{unit} has no ExecCondition")


class RatePlans(unittest.TestCase):
    PLANS = {"weekend": "vorfjp-weekend-rates.service", "weekday": "vorfjp-weekday-rates.service"}

    def test_the_plans_set_the_room_rates_and_nothing_else(self):
        for plan in self.PLANS:
            with self.subTest(plan):
                folder = Folder(self)
                before = folder.show()
                path = Path(PATHS.examples) / f"{plan}.json"
                rooms = json.loads(path.read_text(encoding="utf-8"))["rooms"]
                set_run = folder.run([PATHS.vorfjp_send, "--content", str(folder.content), "set", "--json",
                                      str(path)])
                self.assertEqual(set_run.returncode, 0, set_run.stderr.decode())
                expected = json.loads(json.dumps(before))
                expected["rooms"][: len(rooms)] = rooms
                self.assertEqual(folder.show(), expected)
                self.assertNotEqual(expected, before)

    def test_each_moment_of_the_week_has_one_plan(self):
        # A date that answers every question with the moment given, so that the condition runs as
        # systemd runs it, through /bin/sh and date's own formatting.
        folder = Folder(self)
        bin_dir = folder.root / "bin"
        bin_dir.mkdir()
        fake_date = bin_dir / "date"
        fake_date.write_text('#!/bin/sh\nexec /usr/bin/date -d "$VORFJP_TEST_NOW" "$@"\n', encoding="utf-8")
        fake_date.chmod(0o755)
        moments = [
            ("2024-03-15 17:59", "weekday"),  # Friday
            ("2024-03-15 18:00", "weekend"),
            ("2024-03-16 12:00", "weekend"),  # Saturday
            ("2024-03-17 23:59", "weekend"),  # Sunday
            ("2024-03-18 05:59", "weekend"),  # Monday
            ("2024-03-18 06:00", "weekday"),
            ("2024-03-20 12:00", "weekday"),  # Wednesday
        ]
        for moment, plan in moments:
            with self.subTest(moment):
                env = dict(folder.env, PATH=f"{bin_dir}:{os.environ['PATH']}", VORFJP_TEST_NOW=moment)
                runs = {name: subprocess.run(exec_condition(unit), env=env, capture_output=True,
                                             timeout=RUN_SECONDS, check=False).returncode
                        for name, unit in self.PLANS.items()}
                self.assertEqual(runs, {name: 0 if name == plan else 1 for name in self.PLANS})


UNITS = ["vorfjp-weekend-rates", "vorfjp-weekday-rates", "vorfjp-ecb-rates"]


class SystemdUnits(unittest.TestCase):
    def test_systemd_accepts_them(self):
        folder = Folder(self)
        files = [str(Path(PATHS.units) / f"{unit}.{kind}") for unit in UNITS for kind in ("service", "timer")]
        verified = folder.run(["systemd-analyze", "verify", "--user", *files])
        complaints = (verified.stdout + verified.stderr).decode()
        self.assertEqual(verified.returncode, 0, complaints)
        self.assertEqual(complaints, "")

    def test_the_timers_fire_when_the_plans_say_and_catch_up(self):
        normalized = {
            "vorfjp-weekend-rates": "Fri *-*-* 18:00:00",
            "vorfjp-weekday-rates": "Mon *-*-* 06:00:00",
            "vorfjp-ecb-rates": "Mon..Fri *-*-* 16:30:00 Europe/Berlin",
        }
        for unit, calendar in normalized.items():
            with self.subTest(unit):
                lines = (Path(PATHS.units) / f"{unit}.timer").read_text(encoding="utf-8").splitlines()
                self.assertIn("Persistent=true", lines)
                given = [line.removeprefix("OnCalendar=") for line in lines if line.startswith("OnCalendar=")]
                self.assertEqual(len(given), 1)
                shown = subprocess.run(["systemd-analyze", "calendar", given[0]], capture_output=True,
                                       timeout=RUN_SECONDS, check=False)
                self.assertEqual(shown.returncode, 0, shown.stderr.decode())
                self.assertIn(f"Normalized form: {calendar}\n", shown.stdout.decode())


def main():
    parser = argparse.ArgumentParser()
    for option in ("--vorfjp-send", "--examples", "--units", "--content"):
        parser.add_argument(option, required=True)
    _, rest = parser.parse_known_args(namespace=PATHS)
    unittest.main(argv=[sys.argv[0], *rest])


if __name__ == "__main__":
    main()
