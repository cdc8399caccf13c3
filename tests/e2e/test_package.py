"""The release archive as a user gets it: unpacked into a folder of its own
and run from there in a fresh Wine prefix, it locks and unlocks, and its
NC码 tool answers."""

import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

import e2e
import test_lock

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def the_unpacked_archive_locks_and_unlocks(program):
    archive = program.package_zip
    unpacked = tempfile.mkdtemp(prefix="quorvel-package-")
    with zipfile.ZipFile(archive) as z:
        names = z.namelist()
        z.extractall(unpacked)
    folders = {name.split("/")[0] for name in names}
    assert len(folders) == 1, folders  # one folder
    folder = os.path.join(unpacked, folders.pop())
    assert sorted(os.listdir(folder)) == sorted(
        ["QuorvelLock.exe", "QuorvelNC.exe", "logo.jpg", "NS码.txt", "使用说明.txt"]), os.listdir(folder)

    # A fresh prefix, prepared as scripts/run prepares one.
    prefix = os.path.join(unpacked, "prefix")
    os.environ["WINEPREFIX"] = prefix
    subprocess.run(["bash", "-c", f"source '{ROOT}/scripts/lib.sh' && ensure_wine_prefix unmanaged"], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    out = os.path.join(unpacked, "nc.out")
    with open(out, "w") as f:
        subprocess.run(["wine", os.path.join(folder, "QuorvelNC.exe"), "2580"], stdout=f, stderr=subprocess.DEVNULL,
                       check=True)
    with open(out) as f:
        assert f.read().strip().isdigit()

    program.workdir_override(folder)
    test_lock.locks_and_unlocks_with_the_password(program)
    subprocess.run(["wineserver", "-k"], capture_output=True)
    shutil.rmtree(unpacked, ignore_errors=True)


if __name__ == "__main__":
    zip_path = sys.argv[sys.argv.index("--zip") + 1]
    del sys.argv[sys.argv.index("--zip"):sys.argv.index("--zip") + 2]

    def scenario(program):
        program.package_zip = zip_path
        the_unpacked_archive_locks_and_unlocks(program)

    scenario.__name__ = "the_unpacked_archive_locks_and_unlocks"
    e2e.run([scenario])
