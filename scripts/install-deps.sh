#!/usr/bin/env bash
# Installs the Debian 12 packages Travix needs. Idempotent: packages already
# present are left alone, and apt is only asked when something is missing.
#
#   scripts/install-deps.sh [build|test|run|all]...   (default: all)
set -euo pipefail

# Building the program.
BUILD_PACKAGES=(
  cmake              # build system (3.25 or newer)
  ninja-build        # the generator the CMake presets use
  g++                # C++20 compiler
  pkg-config         # locates libraries for CMake
  ccache             # compiler cache: rebuilds and CI reruns take seconds
  qt6-base-dev       # Qt 6 Core, Gui, Widgets, Network: UI toolkit layer, event loop, local sockets;
                     # also QtDBus, used for logind's sleep signal (suspend and resume)
  qt6-base-dev-tools # moc for the Qt classes
  libgl-dev          # OpenGL headers that Qt 6 Gui's CMake package asks for
  libudev-dev        # hidraw hotplug events, so devices are found the moment they are plugged
  libjsoncpp-dev     # JSON reading and styled writing: profiles, macros and every settings file
  libx11-dev         # X11 key capture: the keyboard grab while a key is assigned or a macro recorded
  libxi-dev          # XInput2 raw button events: mouse buttons recorded into macros on X11
  libpulse-dev       # the headset audio library: speaker and microphone volume and mute on the sound server
  libasound2-dev     # the headset audio library: the headset's monitoring (sidetone) control in ALSA's mixer
  libkissfft-dev     # the spectrum of the captured sound for music lighting (small, real-input FFT, BSD licence)
  libxcb1-dev        # the screen colour for screen lighting: the root window's pixels over a connection of our own
  libxcb-shm0-dev    # the same through shared memory where the X server offers it (no copy through the socket)
)

# Running the test suite (headless: Qt's offscreen platform, no display).
TEST_PACKAGES=(
  googletest         # GoogleTest and GoogleMock sources
  libgtest-dev       # GoogleTest: the test framework of every test binary
  libgmock-dev       # GoogleMock: mocks for device and platform seams
  libbenchmark-dev   # Google Benchmark: performance figures, never timed assertions
  xvfb               # a private X server for the key-capture tests
  libxtst-dev        # XTest: the key-capture tests type and click as another program would
  openbox            # the key-capture tests run once more under a window manager
  pulseaudio         # a private sound server with null devices for the headset audio library's tests
  pulseaudio-utils   # pactl: those tests read the server's volumes and mutes as a desktop tool shows them
  clang              # libFuzzer: scripts/fuzz.sh builds the fuzz targets of every parser fed from outside
  libclang-rt-14-dev # the fuzzer, address and undefined-behaviour runtimes clang links into those targets
  desktop-file-utils # desktop-file-validate: the installed .desktop and autostart entries are checked
  appstream          # appstreamcli validate: the installed metainfo file is checked
  dpkg-dev           # dpkg-shlibdeps: the Debian package's run-time dependencies; dpkg-deb unpacks it in a test
)

# Running the program on a desktop.
RUN_PACKAGES=(
  qt6-qpa-plugins    # Qt's X11 and Wayland platform plugins
  fonts-dejavu-core  # the skin's default font family
  fonts-droid-fallback # Chinese, Japanese and Korean glyphs for the language files
  fonts-noto-cjk     # Noto Sans CJK SC and TC: the Simplified and Traditional Chinese faces
  fonts-noto-core    # Noto Sans Thai: the Thai face
  xdg-utils          # opening the desktop's settings and files
  libqt6dbus6        # QtDBus at run time: logind's sleep signal (qt6-base-dev brings it when building)
)

groups=("$@")
[ ${#groups[@]} -eq 0 ] && groups=(all)
wanted=()
for group in "${groups[@]}"; do
  case "$group" in
    build) wanted+=("${BUILD_PACKAGES[@]}") ;;
    test) wanted+=("${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}") ;;
    run) wanted+=("${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}") ;;
    all) wanted+=("${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${RUN_PACKAGES[@]}") ;;
    *) echo "unknown group: $group (build, test, run or all)" >&2; exit 2 ;;
  esac
done

missing=()
for package in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
