#!/usr/bin/env python3
"""Repairs the sample presentations with deckmend-cli --out, checks every
repaired container with Python's zipfile and Info-ZIP's unzip -t as strict
readers, compares the salvaged entries with the intact original, and has
LibreOffice convert each container to PDF, expecting every slide."""

import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile

ORIGINAL = "harbour-talk.odp"
PAGES = 4
ALL_ENTRIES = ["mimetype", "content.xml", "styles.xml", "meta.xml", "settings.xml",
               "Pictures/harbour.png", "Thumbnails/thumbnail.png", "Pictures/boats.png",
               "META-INF/manifest.xml"]

# What each damaged copy must give back byte for byte, and what it loses (an
# empty placeholder stands in for a lost picture the slides refer to).
EXPECTED = {
    "harbour-talk.odp": (ALL_ENTRIES, []),
    "damaged/harbour-talk-no-directory.odp": (ALL_ENTRIES, []),
    "damaged/harbour-talk-cut-60.odp": (
        [e for e in ALL_ENTRIES if e not in ("Pictures/boats.png", "META-INF/manifest.xml")],
        ["Pictures/boats.png"]),
    "damaged/harbour-talk-zeroed-block.odp": (
        [e for e in ALL_ENTRIES if e != "Pictures/harbour.png"], ["Pictures/harbour.png"]),
}
CUT_MANIFEST_ORDER = ["Pictures/boats.png", "Pictures/harbour.png", "Thumbnails/thumbnail.png",
                      "content.xml", "meta.xml", "settings.xml", "styles.xml"]

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def count_pages(pdf):
    if shutil.which("pdfinfo"):
        out = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True).stdout
        m = re.search(r"^Pages:\s+(\d+)", out, re.M)
        if m:
            return int(m.group(1))
    data = open(pdf, "rb").read()
    return len(re.findall(rb"/Type\s*/Page(?![s\w])", data))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--samples", required=True)
    args = parser.parse_args()

    soffice = shutil.which("soffice") or shutil.which("libreoffice")
    if not soffice:
        print("FAIL: LibreOffice (soffice) is not installed; scripts/setup installs it")
        return 1

    work = tempfile.mkdtemp(prefix="deckmend-office-")
    try:
        out = os.path.join(work, "fixed")
        os.mkdir(out)
        files = [os.path.join(args.samples, name) for name in EXPECTED]
        run = subprocess.run([args.cli, "--json", "--out", out, "--work-dir", os.path.join(work, "trees")] + files,
                             capture_output=True, text=True, timeout=300)
        print(run.stderr, end="")
        check(run.returncode == 0, f"deckmend-cli exit status {run.returncode}")
        report = json.loads(run.stdout)
        original = zipfile.ZipFile(os.path.join(args.samples, ORIGINAL))

        containers = []
        for entry in report["files"]:
            name = os.path.relpath(entry["path"], os.path.realpath(args.samples))
            check(entry["repaired"] and entry["saved"], f"{name}: repaired and saved")
            container = entry["container"]
            containers.append((name, container))
            check(os.path.basename(container) == "NOVRAK_" + os.path.basename(name), f"{name}: container name")
            with zipfile.ZipFile(container) as z:
                check(z.testzip() is None, f"{name}: zipfile finds every CRC right")
                names = z.namelist()
                check(not any("partial" in n or n.endswith("/") for n in names), f"{name}: no partial or folder entries")
                whole, lost = EXPECTED[name]
                for e in whole:
                    check(e in names and z.read(e) == original.read(e), f"{name}: {e} byte for byte")
                for e in lost:
                    check(e in names and z.read(e) == b"", f"{name}: {e} is an empty placeholder")
                check(len(z.read("content.xml")) >= 3459, f"{name}: content.xml of at least 3459 bytes")
                if name.endswith("cut-60.odp"):
                    manifest = z.read("META-INF/manifest.xml").decode()
                    listed = re.findall(r'full-path="([^"]+)"', manifest)
                    check(listed == ["/"] + CUT_MANIFEST_ORDER, f"{name}: rebuilt manifest lists the tree: {listed}")
                    check('manifest:version="1.3"' in manifest, f"{name}: manifest carries the document's version")
            if shutil.which("unzip"):
                t = subprocess.run(["unzip", "-t", "-qq", container], capture_output=True, text=True)
                check(t.returncode == 0, f"{name}: unzip -t reports no errors ({t.stdout.strip()} {t.stderr.strip()})")

        pdfs = os.path.join(work, "pdf")
        profile = "file://" + os.path.join(work, "profile")
        convert = subprocess.run([soffice, "--headless", "--norestore", f"-env:UserInstallation={profile}",
                                  "--convert-to", "pdf", "--outdir", pdfs] + [c for _, c in containers],
                                 capture_output=True, text=True, timeout=400)
        if convert.returncode != 0:
            print(convert.stdout, convert.stderr)
        for name, container in containers:
            pdf = os.path.join(pdfs, os.path.splitext(os.path.basename(container))[0] + ".pdf")
            if not os.path.exists(pdf):
                check(False, f"{name}: LibreOffice made no PDF of the repaired container")
                continue
            pages = count_pages(pdf)
            check(pages == PAGES, f"{name}: LibreOffice shows {pages} pages, expected {PAGES}")
            print(f"{name}: {pages} pages")
    finally:
        shutil.rmtree(work, ignore_errors=True)

    print(f"{len(failures)} checks failed" if failures else "all checks passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
