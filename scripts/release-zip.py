#!/usr/bin/env python3
"""Packs a distribution folder into a zip that is the same bytes every time.

    release-zip.py OUTPUT.zip FOLDER SECONDS

Every entry lies under FOLDER's own name, in sorted order, with the time
SECONDS (since 1970, UTC; the release commit's time) and fixed permissions;
nothing of the machine, the user or the clock goes in.
"""
import os
import sys
import time
import zipfile


def entries(folder):
    """The folder's sub-folders and files, relative to its parent, sorted."""
    base = os.path.dirname(os.path.abspath(folder))
    found = []
    for root, dirs, files in os.walk(folder):
        for name in dirs:
            found.append((os.path.relpath(os.path.join(root, name), base) + "/", None))
        for name in files:
            path = os.path.join(root, name)
            found.append((os.path.relpath(path, base), path))
    found.append((os.path.basename(os.path.abspath(folder)) + "/", None))
    return sorted(found)


def main(output, folder, seconds):
    stamp = max(time.gmtime(int(seconds))[:6], (1980, 1, 1, 0, 0, 0))
    with zipfile.ZipFile(output + ".part", "w") as archive:
        for name, path in entries(folder):
            info = zipfile.ZipInfo(name.replace(os.sep, "/"), stamp)
            info.create_system = 3  # Unix, so that the permissions below count
            if path is None:
                info.external_attr = (0o40755 << 16) | 0x10  # a folder
                archive.writestr(info, b"")
                continue
            info.external_attr = 0o100644 << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as source:
                archive.writestr(info, source.read(), compresslevel=9)
    os.replace(output + ".part", output)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
