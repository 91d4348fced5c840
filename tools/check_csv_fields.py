#!/usr/bin/env python3
"""Reads every text table written by the writers' golden tests with Python's csv module and
checks that each has the same number of fields on every row.

    tools/check_csv_fields.py <folder>

The separator comes from the file name (..._semicolon.csv, ..._comma.csv, ..._tab.csv), the
layout from its first word; the fixed-width layout ("text") has no separator and is left out.
"""
import csv
import pathlib
import sys

SEPARATORS = {"semicolon": ";", "comma": ",", "tab": "\t"}


def main() -> int:
    folder = pathlib.Path(sys.argv[1])
    checked = 0
    failures = []
    for path in sorted(folder.glob("text_layout_*.csv")):
        name, _, kind = path.stem[len("text_layout_"):].rpartition("_")
        layout = name.split("_")[0]
        if layout == "text":
            continue
        delimiter = "@" if layout == "bdata" else SEPARATORS[kind]
        with path.open(newline="", encoding="latin-1") as handle:
            widths = {len(row) for row in csv.reader(handle, delimiter=delimiter)}
        checked += 1
        if len(widths) != 1:
            failures.append(f"{path.name}: rows with {sorted(widths)} fields")
    for failure in failures:
        print(failure)
    print(f"{checked} tables checked")
    return 1 if failures or checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
