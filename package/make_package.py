"""Builds the release archive: one folder holding the program, the NC码 tool,
the logo, the help file and the user guide.

    make_package.py VERSION DIST_DIR GUIDE OUTPUT_ZIP
"""

import os
import sys
import zipfile


def main():
    version, dist, guide, target = sys.argv[1:]
    folder = f"QuorvelLock-{version}"
    files = [
        os.path.join(dist, "QuorvelLock.exe"),
        os.path.join(dist, "QuorvelNC.exe"),
        os.path.join(dist, "logo.jpg"),
        os.path.join(dist, "NS码.txt"),
        guide,
    ]
    os.makedirs(os.path.dirname(os.path.abspath(target)), exist_ok=True)
    partial = target + ".part"
    # Fixed timestamps and order: the same files give the same archive.
    with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED) as archive:
        for path in files:
            info = zipfile.ZipInfo(f"{folder}/{os.path.basename(path)}", date_time=(2026, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            with open(path, "rb") as f:
                archive.writestr(info, f.read())
    os.replace(partial, target)


if __name__ == "__main__":
    main()
