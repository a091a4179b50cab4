#!/usr/bin/env bash
# The dialog text tables in resources/lang/ are code page 936 (GBK) with CR LF line ends, the
# form the program embeds. To edit them, take UTF-8 copies with LF line ends, edit those, and
# write them back:
#
#   scripts/lang-utf8.sh to-utf8   [DIR]   resources/lang/*.ini -> DIR/*.ini (UTF-8, LF)
#   scripts/lang-utf8.sh from-utf8 [DIR]   DIR/*.ini -> resources/lang/*.ini (CP936, CR LF)
#
# DIR defaults to build-lang-utf8/ in the repository. Writing back fails, and leaves the table
# untouched, when a text has a character that code page 936 cannot hold. The English table must
# stay ASCII apart from "°" and "：".
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
tables="$root/resources/lang"
mode="${1:-}"
dir="${2:-$root/build-lang-utf8}"

case "$mode" in
  to-utf8)
    mkdir -p "$dir"
    for f in "$tables"/*.ini; do
      iconv -f CP936 -t UTF-8 "$f" | sed 's/\r$//' >"$dir/$(basename "$f")"
    done
    echo "UTF-8 copies in $dir"
    ;;
  from-utf8)
    for f in "$dir"/*.ini; do
      out="$tables/$(basename "$f")"
      tmp="$(mktemp)"
      if sed 's/\r$//; s/$/\r/' "$f" | iconv -f UTF-8 -t CP936 >"$tmp"; then
        mv "$tmp" "$out"
        chmod 644 "$out"
      else
        rm -f "$tmp"
        echo "$f: not representable in code page 936" >&2
        exit 1
      fi
    done
    echo "Tables written to $tables"
    ;;
  *)
    sed -n '2,11s/^# \{0,1\}//p' "$0" >&2
    exit 2
    ;;
esac
