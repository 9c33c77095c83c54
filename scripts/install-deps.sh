#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need,
# only when one of them is missing. Extra package names may be passed as
# arguments (the benchmark asks for its comparison tools this way).
set -euo pipefail

# libheif decodes HEIF through libde265 and the tests encode theirs through
# libx265; both are named so that neither is ever left out.
packages=(cmake ninja-build g++ make pkg-config
          qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
          qt6-qpa-plugins qt6-translations-l10n libgl-dev fonts-dejavu-core fontconfig
          libexif-dev libexif12 libjpeg62-turbo-dev libexiv2-dev libheif-dev libheif1
          libde265-0 libx265-199 libxxhash-dev libpng-dev python3 "$@")

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q -o DPkg::Lock::Timeout=120
"${sudo[@]}" apt-get install -y -q -o DPkg::Lock::Timeout=120 --no-install-recommends "${missing[@]}"
