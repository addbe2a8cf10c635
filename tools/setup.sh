#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the editor need, when any is missing.
# Sourced by run.sh and test.sh.
zolvane_packages=(cmake g++ make qt6-base-dev qt6-qpa-plugins libqt6test6 xvfb xauth fonts-liberation googletest
  g++-mingw-w64-x86-64-posix wine64)
# the merge driver's and the diff textconv's test runs a real git
zolvane_packages+=(git)
# the validators of the installed desktop entry and AppStream metainfo
zolvane_packages+=(desktop-file-utils appstream)

zolvane_install_missing() {
  local missing=()
  for p in "${zolvane_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
      sudo="sudo"
    else
      echo "error: these Debian packages are missing: ${missing[*]}" >&2
      echo "Install them as root (apt-get install ${missing[*]}) or run this script as root or with sudo rights." >&2
      return 1
    fi
  fi
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
