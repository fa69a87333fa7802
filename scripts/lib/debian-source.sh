# shellcheck shell=bash
# The Debian mirror and suite this machine's own apt sources use, as "MIRROR SUITE", for scripts
# that fetch from it with an apt configuration of their own.
debian_source() {
  local lists=(/etc/apt/sources.list /etc/apt/sources.list.d/*.list)
  local found
  found=$(awk '$1 == "deb" && $2 ~ /\/debian\/?$/ { print $2, $3; exit }' "${lists[@]}" 2>/dev/null || true)
  if [[ -z $found ]]; then
    found=$(awk 'BEGIN { RS = ""; FS = "\n" }
      /(^|\n)Types:[^\n]*deb/ && /(^|\n)URIs:[ \t]*[^ \t\n]*\/debian\/?([ \t]|\n|$)/ {
        for (i = 1; i <= NF; i++) {
          if ($i ~ /^URIs:/) { split($i, u, /[ \t]+/); uri = u[2] }
          if ($i ~ /^Suites:/) { split($i, s, /[ \t]+/); suite = s[2] }
        }
        print uri, suite; exit }' /etc/apt/sources.list.d/*.sources 2>/dev/null || true)
  fi
  [[ -n $found ]] || { echo "no Debian mirror in /etc/apt to fetch from" >&2; exit 1; }
  echo "$found"
}
