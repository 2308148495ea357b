#!/usr/bin/env python3
"""Every file or folder a README names in backticks exists. A name with a folder is looked for
from the README's folder, from the top of the tree and from engine/ (as includes name the
engine's layers: "recovery/Verdict.h"); a bare name anywhere in the tree (tables
name files of their own subfolder). Only names with a source file's ending or a folder's slash
are checked: names of files the program writes (report.doc.000, NAME.join.sh) are not the
tree's, nor are those a build makes (GENERATED)."""
import pathlib
import re
import subprocess
import sys

root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
tracked = subprocess.run(["git", "-C", str(root), "ls-files", "*README.md", "README.md", "docs/*.md"],
                         capture_output=True, text=True, check=True).stdout.split()
GENERATED = {"JoinProgramBytes.h", "README.txt"}
SOURCE = re.compile(r"^[\w.+-]+(/[\w.+-]+)*(\.(h|cpp|c|cmake|py|sh|md|txt|rc|idl|ps1)|/)$")
files = subprocess.run(["git", "-C", str(root), "ls-files"], capture_output=True, text=True,
                       check=True).stdout.split()
names = {pathlib.PurePosixPath(f).name for f in files}
missing = []
for name in tracked:
    readme = root / name
    text = readme.read_text(encoding="utf-8")
    for token in re.findall(r"`([^`\s]+)`", text):
        # "Split.h/.cpp" names two files of one stem.
        # "Split.h/.cpp" and "File_posix/_win.cpp" name two files of one stem.
        candidates = [token]
        pair = re.match(r"^(.*?)(_\w+)/(_\w+)(\.\w+)$", token)
        if pair:
            candidates = [pair[1] + pair[2] + pair[4], pair[1] + pair[3] + pair[4]]
        elif "/." in token:
            stem, _, rest = token.partition("/.")
            candidates = [stem, stem.rsplit(".", 1)[0] + "." + rest]
        for candidate in candidates:
            if not SOURCE.match(candidate) or candidate.startswith(("build/", "dist/")):
                continue
            if re.match(r"^[A-Z]+\.", candidate) or candidate in GENERATED:
                continue
            if "/" not in candidate.rstrip("/") and candidate in names:
                continue
            if not any((base / candidate).exists() for base in (readme.parent, root, root / "engine")):
                missing.append(f"{name}: `{token}`")
for line in missing:
    print("missing:", line)
print(f"{len(missing)} missing" if missing else "every path the READMEs name exists")
sys.exit(1 if missing else 0)
