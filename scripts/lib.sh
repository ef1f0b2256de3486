# Shared by scripts/run, scripts/test and scripts/bench: install what the build
# needs, then configure and build a tree.

WENDREL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
WENDREL_PACKAGES=(g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev libmpfr-dev
  libncurses-dev libasound2-dev libcli11-dev tmux binutils-mingw-w64-x86-64 man-db alsa-utils
  # The sound-server tests: a private PulseAudio, its recorder, ALSA's pulse
  # device; a private PipeWire with its session manager (on a bus of its own)
  # and recorder. PipeWire's ALSA plugin is unpacked, not installed: see
  # wendrel_unpack_pipewire_alsa.
  pulseaudio pulseaudio-utils libasound2-plugins pipewire pipewire-bin wireplumber dbus)
# What the libFuzzer targets add.
WENDREL_FUZZ_PACKAGES=(clang libclang-rt-14-dev)
# What the Windows build and its run under Wine add: the cross compiler (the
# posix thread model has std::thread), GoogleTest's sources to build with it,
# and Wine, whose audio plays to the sound-server tests' PulseAudio; for the
# program's window, a display server, a window manager (and xprop to read
# what it allows), keys and screenshots.
WENDREL_WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest wine wine64
  xvfb openbox x11-utils xdotool imagemagick python3)
# What making and checking the packages adds: dpkg-shlibdeps, unzip.
WENDREL_PACKAGE_PACKAGES=(dpkg-dev unzip)

# wendrel_as_root COMMAND...: runs COMMAND as root, through sudo when needed;
# without either it says what it needed and fails.
wendrel_as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null 2>&1; then
    sudo "$@"
  else
    echo "Needs root: $*" >&2
    return 1
  fi
}

# Installs the Debian packages that are missing: apt-get update once, then one
# install. Without root or sudo it says exactly what to install and fails.
wendrel_ensure_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ] && ! command -v sudo >/dev/null 2>&1; then
    echo "Please install: apt-get install ${missing[*]}" >&2
    return 1
  fi
  echo "Installing ${missing[*]}"
  wendrel_as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
    wendrel_apt_install "${missing[@]}" >/dev/null
}

# wendrel_apt_install PACKAGE...: apt-get install as root, waiting for a
# package manager that another program is running instead of failing.
wendrel_apt_install() {
  wendrel_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    -o DPkg::Lock::Timeout=300 "$@"
}

# A locale with a decimal comma, so that the test of locale-independent value
# texts runs instead of skipping. Only tried where it can be made (root and
# the locales package); the test skips elsewhere.
wendrel_ensure_comma_locale() {
  grep -qi '^de_DE\.utf-\?8$' <(locale -a 2>/dev/null) && return 0
  [ "$(id -u)" -eq 0 ] && command -v localedef >/dev/null 2>&1 || return 0
  localedef -i de_DE -f UTF-8 de_DE.UTF-8 2>/dev/null || true
}

# wendrel_unpack_pipewire_alsa DIR: PipeWire's ALSA plugin, of the installed
# PipeWire's version, unpacked into DIR for the tests to name per process.
# The package conflicts with pulseaudio in Debian, and installing it would make
# every ALSA program of the machine play through PipeWire, so it is only
# downloaded. Without the network the PipeWire tests are left out.
wendrel_unpack_pipewire_alsa() {
  local dir=$1 version scratch
  find "$dir" -name libasound_module_pcm_pipewire.so 2>/dev/null | grep -q . && return 0
  version=$(dpkg-query -W -f='${Version}' pipewire 2>/dev/null) || return 0
  scratch=$(mktemp -d)
  # apt-get download writes into the current folder, which its sandbox user
  # may not reach: the folder is opened to it.
  chmod 755 "$scratch"
  # The installed version, else the archive's own when that one is gone from
  # it (a point release moved on before the machine did).
  if (cd "$scratch" && { apt-get download -qq "pipewire-alsa=$version" || apt-get download -qq pipewire-alsa; } \
    >/dev/null 2>&1); then
    mkdir -p "$dir" && dpkg-deb -x "$scratch"/pipewire-alsa_*.deb "$dir"
  else
    echo "pipewire-alsa $version could not be downloaded: the PipeWire tests are left out" >&2
  fi
  rm -rf "$scratch"
}

# wendrel_build DIR [cmake options...]: configure (once) and build everything in DIR.
wendrel_build() {
  local dir=$1
  shift
  cmake -S "$WENDREL_ROOT" -B "$WENDREL_ROOT/$dir" -G Ninja "$@" >/dev/null &&
    cmake --build "$WENDREL_ROOT/$dir" -j "$(nproc)"
}
