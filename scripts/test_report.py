"""What a GoogleTest program ran, read from its XML report and its list."""
from collections import namedtuple
import xml.etree.ElementTree as ElementTree

Cases = namedtuple("Cases", "passed failed skipped")


def read_report(path):
    """The cases of a report, or None where there is none to read."""
    try:
        root = ElementTree.parse(path).getroot()
    except (OSError, ElementTree.ParseError):
        return None
    passed = failed = skipped = 0
    for case in root.iter("testcase"):
        if case.find("failure") is not None:
            failed += 1
        elif case.get("status") != "run" or case.get("result") == "skipped" or case.find("skipped") is not None:
            skipped += 1
        else:
            passed += 1
    return Cases(passed, failed, skipped)


def count_listed(listing):
    """The cases named by --gtest_list_tests: its indented lines."""
    return sum(1 for line in listing.splitlines() if line.startswith("  ") and line.strip())
