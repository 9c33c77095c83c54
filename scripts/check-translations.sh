#!/usr/bin/env bash
# Fails when a catalogue lacks a text of the program or leaves one
# unfinished: lupdate brings a scratch copy of each catalogue up to date with
# the sources, and every text it had to add shows as unfinished there. The
# German catalogue must translate every text; the English one only holds
# the singular and plural of the texts with a count, since the sources
# already are English.
# Usage: check-translations.sh LUPDATE GERMAN.ts ENGLISH.ts SOURCE_DIR...
set -euo pipefail
lupdate=$1 german=$2 english=$3
shift 3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0
check() { # CATALOGUE LUPDATE_OPTION... -- SOURCE_DIR...
    local catalogue=$1 options=()
    shift
    while [ "$1" != -- ]; do options+=("$1"); shift; done
    shift
    local copy="$scratch/$(basename "$catalogue")"
    cp "$catalogue" "$copy"
    "$lupdate" -silent -no-obsolete -locations none -extensions cpp,h ${options[@]+"${options[@]}"} \
        -I "$(dirname "$catalogue")/.." "$@" -ts "$copy"
    python3 - "$copy" <<'PY' || status=1
import re, sys, html
text = open(sys.argv[1], encoding="utf-8").read()
language = re.search(r'<TS[^>]*language="([^"]*)"', text).group(1)
missing = []
for context in re.finditer(r"<context>\s*<name>(.*?)</name>(.*?)</context>", text, re.S):
    for message in re.finditer(r"<message[^>]*>(.*?)</message>", context.group(2), re.S):
        body = message.group(1)
        forms = re.findall(r"<numerusform>(.*?)</numerusform>", body, re.S)
        if 'type="unfinished"' in body or any(not form.strip() for form in forms):
            source = re.search(r"<source>(.*?)</source>", body, re.S).group(1)
            missing.append(f"{context.group(1)}: {html.unescape(source)!r}")
for line in missing:
    print(f"untranslated ({language}):", line)
print(f"{len(missing)} text(s) without a finished {language} translation")
sys.exit(1 if missing else 0)
PY
}
check "$german" -- "$@"
check "$english" -pluralonly -- "$@"
exit $status
