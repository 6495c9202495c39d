#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Reads the version resource of a Windows program back, as Explorer's
Details tab shows it, and checks each field against what the project says.

Usage: CheckVersionResource.py PROGRAM VERSION PRODUCT COPYRIGHT
"""
import sys

import pefile


def main() -> int:
    program, version, product, copyright_line = sys.argv[1:5]
    pe = pefile.PE(program, fast_load=True)
    pe.parse_data_directories(
        directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    if not hasattr(pe, "FileInfo"):
        print(f"{program} has no version resource")
        return 1

    strings = {}
    for file_info in pe.FileInfo:
        for entry in file_info:
            for table in getattr(entry, "StringTable", []):
                for key, value in table.entries.items():
                    strings[key.decode()] = value.decode()
    for key, value in sorted(strings.items()):
        print(f"{key}: {value}")

    expected = {
        "FileVersion": version,
        "ProductVersion": version,
        "ProductName": product,
        "LegalCopyright": copyright_line,
    }
    failures = [f"{key} is {strings.get(key)!r}, expected {value!r}"
                for key, value in expected.items() if strings.get(key) != value]
    if not strings.get("FileDescription"):
        failures.append("FileDescription is missing or empty")

    # The numeric version that Windows compares: MAJOR.MINOR.PATCH.0.
    fixed = pe.VS_FIXEDFILEINFO[0]
    parts = [int(part) for part in version.split(".")] + [0]
    numeric = [(fixed.FileVersionMS >> 16), (fixed.FileVersionMS & 0xFFFF),
               (fixed.FileVersionLS >> 16), (fixed.FileVersionLS & 0xFFFF)]
    product_numeric = [(fixed.ProductVersionMS >> 16), (fixed.ProductVersionMS & 0xFFFF),
                       (fixed.ProductVersionLS >> 16), (fixed.ProductVersionLS & 0xFFFF)]
    print(f"fixed file version: {'.'.join(map(str, numeric))}")
    if numeric != parts[:4] or product_numeric != parts[:4]:
        failures.append(f"the fixed versions are {numeric} and {product_numeric}, expected {parts[:4]}")

    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
