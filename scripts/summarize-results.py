#!/usr/bin/env python3
"""Counts the results of the test tiers and prints one line per tier and the closing line.

  summarize-results.py [--junit NAME=FILE]... [--gtest NAME=FILE]... [--count NAME=P:F:S]...

--junit reads a JUnit XML report (ctest --output-junit, pytest --junitxml), --gtest a GoogleTest
XML report (--gtest_output=xml), --count takes counts the caller made itself (a build that
failed, a fuzz run, a test program that crashed before writing its report). Each failed test is
listed. The last line is exactly "N passed, N failed" with ", N skipped" when any were skipped.
Exits 1 when anything failed, 0 otherwise.
"""

from __future__ import annotations

import argparse
import sys
import xml.etree.ElementTree as ET


def count_cases(path: str):
    """(passed, failed, skipped, names of failed) of the test cases in a JUnit or gtest report."""
    root = ET.parse(path).getroot()
    passed = failed = skipped = 0
    failures = []
    for case in root.iter("testcase"):
        # ctest's report repeats the test's whole name as its class name.
        classname, name = case.get("classname", ""), case.get("name", "")
        name = name if classname in ("", name) else f"{classname}.{name}"
        children = {child.tag for child in case}
        status = (case.get("status") or "").lower()
        result = (case.get("result") or "").lower()
        if "failure" in children or "error" in children or status == "fail":
            failed += 1
            failures.append(name)
        elif "skipped" in children or status in ("notrun", "disabled", "skipped") or \
                result in ("skipped", "suppressed"):
            skipped += 1
        else:
            passed += 1
    return passed, failed, skipped, failures


def main() -> int:
    ap = argparse.ArgumentParser()
    ap.add_argument("--junit", action="append", default=[])
    ap.add_argument("--gtest", action="append", default=[])
    ap.add_argument("--count", action="append", default=[])
    args = ap.parse_args()

    total = [0, 0, 0]
    rows = []
    for arg in args.junit + args.gtest:
        name, _, path = arg.partition("=")
        try:
            p, f, s, failures = count_cases(path)
        except (OSError, ET.ParseError) as exc:
            p, f, s, failures = 0, 1, 0, [f"no readable report {path} ({exc.__class__.__name__})"]
        rows.append((name, p, f, s, failures))
    for arg in args.count:
        name, _, numbers = arg.partition("=")
        p, f, s = (int(x or 0) for x in (numbers.split(":") + ["0", "0"])[:3])
        rows.append((name, p, f, s, [name] if f else []))

    for name, p, f, s, failures in rows:
        line = f"  {name}: {p} passed, {f} failed" + (f", {s} skipped" if s else "")
        print(line)
        for failure in failures[:50]:
            print(f"    FAILED {failure}")
        total[0] += p
        total[1] += f
        total[2] += s

    closing = f"{total[0]} passed, {total[1]} failed"
    if total[2]:
        closing += f", {total[2]} skipped"
    print(closing)
    return 1 if total[1] else 0


if __name__ == "__main__":
    sys.exit(main())
