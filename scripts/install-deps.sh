#!/usr/bin/env bash
# Installs what building, testing and running Vemra needs on Debian 12.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  qt6-base-dev qt6-svg-dev qt6-translations-l10n libqt6svg6
  coinor-libclp-dev libemf-dev
  libcurl4-openssl-dev libtelnet-dev
  # The remote-run tests start a compute host on 127.0.0.1: an FTP server
  # and a Telnet server (the plain busybox package has no telnetd).
  python3-pyftpdlib busybox-static
  # The SSH transport (libssh); its tests start an sshd and spread projects
  # with GNU parallel (which copies them with rsync).
  libssh-dev openssh-server parallel rsync
  xvfb xauth dbus locales fonts-dejavu-core
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi

# The tests run under a German locale to prove that files and numbers do not
# depend on the user's decimal separator.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  "${sudo_cmd[@]}" sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi
