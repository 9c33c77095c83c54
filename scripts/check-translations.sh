#!/usr/bin/env bash
# Fails when the German catalogue lacks a text of the program or leaves one
# unfinished: lupdate brings a scratch copy of the catalogue up to date with
# the sources, and every text it had to add shows as unfinished there.
# Usage: check-translations.sh LUPDATE CATALOGUE.ts SOURCE_DIR...
set -euo pipefail
lupdate=$1 catalogue=$2
shift 2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$catalogue" "$scratch/check.ts"
"$lupdate" -silent -no-obsolete -locations none -extensions cpp,h -I "$(dirname "$catalogue")/.." "$@" -ts "$scratch/check.ts"
python3 - "$scratch/check.ts" <<'PY'
import re, sys, html
text = open(sys.argv[1], encoding="utf-8").read()
missing = []
for context in re.finditer(r"<context>\s*<name>(.*?)</name>(.*?)</context>", text, re.S):
    for message in re.finditer(r"<message[^>]*>(.*?)</message>", context.group(2), re.S):
        body = message.group(1)
        if 'type="unfinished"' in body:
            source = re.search(r"<source>(.*?)</source>", body, re.S).group(1)
            missing.append(f"{context.group(1)}: {html.unescape(source)!r}")
for line in missing:
    print("untranslated:", line)
print(f"{len(missing)} text(s) without a finished German translation")
sys.exit(1 if missing else 0)
PY
