#!/usr/bin/env bash
# Installs the Debian package with apt into clean Debian 12, 13 and unstable systems, plays it
# there on a private 1920x1080 X server (build/releases_test), and removes it again with apt.
# The systems are made with debootstrap from this machine's own Debian mirror and kept in
# $BASILRAIN_RELEASES_CACHE (default /var/cache/basilrain-releases) for a week.
#   scripts/test-releases.sh --systems   only makes the systems (test.sh starts it early)
#   scripts/test-releases.sh             makes what is missing, then tests build/'s package
set -euo pipefail
self=$(readlink -f "$0")
cd "$(dirname "$self")/.."
source scripts/lib/debian-source.sh
cache=${BASILRAIN_RELEASES_CACHE:-/var/cache/basilrain-releases}
releases=(bookworm trixie sid)
mkdir -p "$cache"

# The host's archive keys may be older than the ones signing unstable: the newest keyring comes
# from the stable suite, whose Release the host's own keys verify.
fetch_keyring() {
  local apt=$cache/apt mirror
  read -r mirror _ < <(debian_source)
  rm -rf "$apt" && mkdir -p "$apt/sources.list.d" "$apt/lists/partial" "$apt/cache/archives/partial"
  echo "deb $mirror stable main" >"$apt/sources.list.d/stable.list"
  local private=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt/sources.list.d"
    -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache" -o Dir::State::status=/dev/null
    -o APT::Sandbox::User=root -o DPkg::Lock::Timeout=600)
  (cd "$apt" && apt-get "${private[@]}" update -qq && apt-get "${private[@]}" download -qq debian-archive-keyring &&
    dpkg-deb -x debian-archive-keyring_*.deb keys) >"$cache/keyring.log" 2>&1 ||
    { cat "$cache/keyring.log" >&2; return 1; }
  cat /usr/share/keyrings/debian-archive-keyring.gpg "$apt/keys/usr/share/keyrings/debian-archive-keyring.gpg" \
    >"$cache/keyring.gpg"
}

make_system() {
  local release=$1 root=$cache/$1 mirror
  read -r mirror _ < <(debian_source)
  rm -rf "$root"
  debootstrap --variant=minbase --keyring="$cache/keyring.gpg" "$release" "$root" "$mirror" \
    >"$cache/$release.log" 2>&1 || { tail -n 20 "$cache/$release.log" >&2; return 1; }
  touch "$root/.made"
}

# Makes, all at once, the systems that are missing or over a week old; one caller at a time.
make_systems() {
  exec 9>"$cache/lock"
  flock 9
  local stale=() pids=() release
  for release in "${releases[@]}"; do
    [[ -n $(find "$cache/$release/.made" -mtime -7 2>/dev/null) ]] || stale+=("$release")
  done
  ((${#stale[@]})) || return 0
  fetch_keyring
  for release in "${stale[@]}"; do
    make_system "$release" &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do wait "$pid"; done
}

if [[ ${1:-} == --systems ]]; then
  make_systems
  exit
fi

# Mounts made in a private mount namespace go with it, however the script ends.
if [[ -z ${BASILRAIN_RELEASES_UNSHARED:-} ]]; then
  BASILRAIN_RELEASES_UNSHARED=1 exec unshare --mount --propagation private "$self" "$@"
fi
start=$SECONDS
make_systems
echo "releases: systems ready after $((SECONDS - start)) s"
[[ -x build/releases_test ]] || { echo "releases: build/releases_test is not built" >&2; exit 1; }
work=$(mktemp -d /tmp/basilrain-releases.XXXXXX)
chmod 755 "$work"

# Whatever still runs inside a system when the script ends is ended with it.
stop_leftovers() {
  local proc root
  for proc in /proc/[0-9]*; do
    root=$(readlink "$proc/root" 2>/dev/null) || continue
    [[ $root == "$cache"/* ]] && kill -KILL "${proc#/proc/}" 2>/dev/null
  done
  rm -rf "$work"
}
trap stop_leftovers EXIT

(cd build && cpack -G DEB -B "$work" >"$work/cpack.log") || { cat "$work/cpack.log" >&2; exit 1; }
package=$(ls "$work"/basilrain_*.deb)
# Installs the package, and the tools the checks run from there, into one system.
install_into() {
  local release=$1 root=$cache/$1 tools=()
  # A system for tests needs no fsync after every file dpkg writes.
  local apt=(chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get -q -y -o DPkg::Lock::Timeout=600
    -o DPkg::Options::=--force-unsafe-io)
  # Unstable's Release on a mirror may outlive its Valid-Until date between pushes.
  [[ $release == sid ]] && apt+=(-o Acquire::Check-Valid-Until=false)
  # A Wayland compositor new enough for SDL 3 to prefer it over X, for every release's checks.
  [[ $release == sid ]] && tools=(weston)
  # Over whatever build a failed run left installed, whatever its version.
  { "${apt[@]}" update && "${apt[@]}" install --reinstall "$package" &&
    "${apt[@]}" install --no-install-recommends "${tools[@]}"; } >"$work/$release-install.log" 2>&1 ||
    { cat "$work/$release-install.log" >&2; return 1; }
}

pids=()
for release in "${releases[@]}"; do
  root=$cache/$release
  # The program and the checks share the host's processes, devices and X and Wayland sockets.
  for shared in proc dev tmp; do mount --bind "/$shared" "$root/$shared"; done
  install_into "$release" &
  pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid"; done
echo "releases: package installed after $((SECONDS - start)) s"

BASILRAIN_RELEASES_CACHE="$cache" build/releases_test

for release in "${releases[@]}"; do
  chroot "$cache/$release" apt-get -q -y -o DPkg::Lock::Timeout=600 remove basilrain >"$work/remove.log" 2>&1 ||
    { cat "$work/remove.log" >&2; exit 1; }
  if [[ -e $cache/$release/usr/bin/basilrain ]]; then
    echo "releases: apt remove left basilrain on $release" >&2
    exit 1
  fi
done
echo "releases: done after $((SECONDS - start)) s"
