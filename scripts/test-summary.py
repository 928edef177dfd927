#!/usr/bin/env python3
"""Prints one line 'LABEL: N passed, N failed' for a ctest run, counting
GoogleTest cases: a test program run as one ctest test (the Windows build)
counts the cases of its result file in test-results/; any other test counts
once. Skipped tests are named and counted apart. Usage: test-summary.py LABEL BUILD_DIR (after ctest --output-junit
ctest-results.xml in BUILD_DIR)."""
import os
import sys
import xml.etree.ElementTree as ET


def gtest_counts(path):
    root = ET.parse(path).getroot()
    total = int(root.get("tests", 0)) - int(root.get("disabled", 0))
    failed = int(root.get("failures", 0)) + int(root.get("errors", 0))
    skipped = sum(1 for case in root.iter("testcase") if case.find("skipped") is not None)
    return total - failed - skipped, failed


def main():
    label, build = sys.argv[1], sys.argv[2]
    passed = failed = skipped = 0
    try:
        cases = ET.parse(os.path.join(build, "ctest-results.xml")).getroot().iter("testcase")
    except (OSError, ET.ParseError) as error:
        print(f"{label}: no results from ctest ({error})")
        return 1
    for case in cases:
        if case.get("status") == "disabled":
            continue
        if case.find("skipped") is not None:
            print(f"skipped: {case.get('name')}")
            skipped += 1
            continue
        ok = case.get("status") == "run" and case.find("failure") is None
        results = os.path.join(build, "test-results", case.get("name") + ".xml")
        if os.path.exists(results):
            case_passed, case_failed = gtest_counts(results)
            # A program that failed with every case passed died outside them.
            if not ok and case_failed == 0:
                case_failed = 1
            passed += case_passed
            failed += case_failed
        elif ok:
            passed += 1
        else:
            failed += 1
    print(f"{label}: {passed} passed, {failed} failed" + (f", {skipped} skipped" if skipped else ""))
    return 0


if __name__ == "__main__":
    sys.exit(main())
