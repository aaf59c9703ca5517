#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need; installed ones are skipped.
set -euo pipefail

packages=(
  build-essential cmake ninja-build
  libgtest-dev libbenchmark-dev libcli11-dev libjsoncpp-dev
  e2fsprogs gddrescue clang libclang-rt-14-dev liburing-dev
  qt6-base-dev
)

is_installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

missing=()
for package in "${packages[@]}"; do
  is_installed "$package" || missing+=("$package")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "setup: missing packages: ${missing[*]}" >&2
  echo "setup: run as root, or install them with: apt-get install ${missing[*]}" >&2
  exit 1
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update
"${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
