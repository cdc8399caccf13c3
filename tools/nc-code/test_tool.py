#!/usr/bin/env python3
"""Runs the native QuorvelNC as a user would and checks its output and exit codes."""
import subprocess
import sys

TOOL = sys.argv[1]
failures = []


def run(*args):
    p = subprocess.run([TOOL, *args], capture_output=True)
    return p.returncode, p.stdout.decode("utf-8"), p.stderr.decode("utf-8")


def check(name, condition, detail=""):
    if not condition:
        failures.append(f"{name}: {detail}")


def derives_to(code):
    # The lock's forward rule, in double precision, halves to even.
    v = float(int(code))
    v = v / 37
    v = v - 52817
    v = v / 73
    v = v - 6151
    v = v / 7
    return round(v)


def expect_code(ns_text, value):
    code, out, err = run(ns_text)
    check(repr(ns_text), code == 0 and err == "", f"exit {code}, stderr {err!r}")
    check(repr(ns_text), out.endswith("\n") and out.count("\n") == 1, f"stdout {out!r}")
    printed = out.strip()
    check(repr(ns_text), printed.lstrip("-").isdigit(), f"not plain digits: {printed!r}")
    if printed.lstrip("-").isdigit():
        check(repr(ns_text), derives_to(printed) == value, f"{printed} derives to {derives_to(printed)}, not {value}")
    return printed


# The help file's example, and what the rule's inverse gives for it.
check("2580", expect_code("2580", 2580) == "67348140")
expect_code("1001", 1001)
expect_code("2e09", 2000000000)
expect_code("2147483647", 2147483647)
expect_code("-2147483648", -2147483648)
expect_code("&H7FFFFFFF", 2147483647)
# Blanks inside and characters after the number, as the lock reads an NS码.
check("blanks", expect_code(" 2 5 8 0 abc", 2580) == "67348140")
# An empty NS码 field is compared with 0.
expect_code("", 0)

# No NC码 can fit: the message names the NS码, nothing goes to stdout.
code, out, err = run("3e09")
check("3e09", code == 1 and out == "", f"exit {code}, stdout {out!r}")
check("3e09", err == "NS码“3e09”没有对应的NC码：它的数值超出范围（必须是-2147483648到2147483647之间的整数）。\n", repr(err))
for ns_text in ["9e99码", "-2147483649", "1e400"]:
    code, out, err = run(ns_text)
    check(ns_text, code == 1 and out == "" and f"NS码“{ns_text}”" in err and "超出范围" in err, f"{code} {err!r}")
code, out, err = run("12.5")
check("12.5", code == 1 and out == "" and "不是整数" in err, f"{code} {err!r}")

# Usage: no argument, --help, and an NS码 split over several arguments.
code, out, err = run()
check("no argument", code == 2 and out == "" and "QuorvelNC.exe 2580" in err and "用法" in err, f"{code} {err!r}")
code, out, err = run("--help")
check("--help", code == 2 and "QuorvelNC.exe 2580" in out and err == "", f"{code} {out!r}")
code, out, err = run("25", "80")
check("two arguments", code == 2 and out == "" and "用法" in err, f"{code} {err!r}")

for f in failures:
    print("FAIL", f)
sys.exit(1 if failures else 0)
