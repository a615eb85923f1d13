#!/usr/bin/env bash
# The one list of Debian packages that building, running and testing Holdra need.
# Sourced by run.sh and test.sh; `holdra_ensure_deps` installs whatever is missing.

HOLDRA_PACKAGES=(
  # toolchain
  g++ cmake ninja-build pkg-config git
  # Qt 6 and its QML modules
  qt6-base-dev qt6-declarative-dev qt6-multimedia-dev qt6-svg-dev libqt6svg6
  qt6-image-formats-plugins libgl-dev
  qml6-module-qtquick qml6-module-qtquick-controls qml6-module-qtquick-layouts
  qml6-module-qtquick-window qml6-module-qtquick-templates qml6-module-qtquick-dialogs
  qml6-module-qtqml-workerscript qml6-module-qtmultimedia qml6-module-qttest
  # QtQml's type descriptions: qmllint checks Timer and Connections against them
  qml6-module-qtqml
  # storage core
  libssl-dev nlohmann-json3-dev
  # X11 integration and sound
  libxcb1-dev libxcb-keysyms1-dev libxcb-ewmh-dev libxcb-xinput-dev libcanberra-dev
  # the named sounds ("Pop" and the alert) come from the freedesktop sound theme
  sound-theme-freedesktop
  # libcanberra reaches PulseAudio (and PipeWire's pulse server) only through this plugin
  libcanberra-pulse
  # recording and playback backend; the recorder drives GStreamer itself
  libgstreamer1.0-dev
  # desktop entries, URL-scheme defaults and launching (GIO's GDesktopAppInfo)
  libglib2.0-dev
  gstreamer1.0-plugins-good gstreamer1.0-plugins-bad gstreamer1.0-libav gstreamer1.0-tools gstreamer1.0-plugins-base-apps
  # fonts for the Chinese interface
  fonts-noto-cjk
  # tests and benchmarks (chattr: immutable metadata files in the storage tests)
  libgtest-dev libgmock-dev libbenchmark-dev e2fsprogs
  # fuzzing the decoders (libFuzzer ships in the compiler-rt package)
  clang libclang-rt-14-dev
  # checks of the installed desktop entry and AppStream metadata, and of the
  # package (lintian; dpkg-shlibdeps for its library dependencies)
  desktop-file-utils appstream lintian dpkg-dev
  # a private session bus for the tests of the file manager and previewer calls
  dbus-daemon
  xvfb xauth openbox xdotool x11-utils xclip pulseaudio
  # the drag roads: a real file manager beside the shelf, and screen pixels read back
  pcmanfm imagemagick
  # xrandr splits the test X server's screen into two monitors
  x11-xserver-utils
  # the manual page rendered with warnings on, each shell completion parsed by its shell
  man-db zsh fish
  # a Wayland session for the tests: headless sway with XWayland, and its screenshots
  sway xwayland grim
)

holdra_missing_packages() {
  local pkg
  for pkg in "${HOLDRA_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      printf '%s\n' "$pkg"
    fi
  done
}

holdra_ensure_deps() {
  local missing
  mapfile -t missing < <(holdra_missing_packages)
  [ "${#missing[@]}" -eq 0 ] && return 0

  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
      sudo=(sudo)
    else
      echo "holdra: missing packages (${missing[*]}) and neither root nor sudo is available" >&2
      return 1
    fi
  fi
  echo "holdra: installing ${missing[*]}" >&2
  "${sudo[@]}" apt-get update -qq || return 1
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Configures (once) and builds the tree in build/. Extra cmake arguments pass through.
holdra_build() {
  local root
  root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
  if [ ! -f "$root/build/build.ninja" ] || [ "$#" -gt 0 ]; then
    cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null || return 1
  fi
  cmake --build "$root/build" --parallel "$(nproc)"
}
