#!/usr/bin/env bash
# Installs what the Win32 build and its tests under Wine need, when any of it is missing, and
# lets this machine run 32-bit programs. Run as root; safe to run again.
#
# Our kernels run no 32-bit user-mode code of their own: 32-bit Wine runs through qemu's
# user-mode emulator, registered for i386 ELF files with flag F (the emulator is opened at
# registration, so it works inside any mount namespace). The registration does not survive a
# reboot, so it is made each time it is missing. Wine needs its preloader ("failed to map the
# shared user data" without it) and the 64-bit wineserver.
set -euo pipefail

packages=(
    g++-mingw-w64-i686 mingw-w64-tools googletest
    qemu-user-static binfmt-support
    wine32:i386 wine32-preloader:i386 wine64
    xvfb xauth
)

dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
bash "$(dirname "$0")/install-deps.sh" "${packages[@]}"

binfmt=/proc/sys/fs/binfmt_misc
mountpoint -q "$binfmt" || mount -t binfmt_misc binfmt_misc "$binfmt"
if [[ ! -e $binfmt/qemu-i386 ]]; then
    magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    echo ":qemu-i386:M::$magic:$mask:/usr/bin/qemu-i386-static:F" >"$binfmt/register"
fi
