#!/usr/bin/env bash
# ferrule-check on Debian's own md5sums lists against `dpkg --verify` on this machine: both must name the
# same changed, missing and unreadable files, and the check must go to its end. Skips (77) without dpkg.
# Usage: dpkg-lists.sh FERRULE-CHECK
set -euo pipefail
export LC_ALL=C # byte order for sort and comm; the summary's counts without grouping
checker=$1
info=/var/lib/dpkg/info

if ! command -v dpkg >/dev/null 2>&1 || [ ! -d "$info" ]; then
    echo "skipped: no dpkg or no $info on this machine"
    exit 77
fi
shopt -s nullglob
lists=("$info"/*.md5sums)
if [ ${#lists[@]} -eq 0 ]; then
    echo "skipped: no md5sums list in $info"
    exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

now() { date +%s%N; }
seconds() { awk -v ns="$1" 'BEGIN { printf "%.1f", ns / 1e9 }'; }

start=$(now)
status=0
"$checker" --no-progress --folder / "${lists[@]}" >"$work/ferrule" 2>"$work/ferrule.err" || status=$?
ferrule_time=$(($(now) - start))

start=$(now)
# dpkg --verify ends with 1 when it finds something: that is its answer, not a failure of the test.
dpkg --verify >"$work/dpkg" 2>"$work/dpkg.err" || true
dpkg_time=$(($(now) - start))

entries=$(cat "${lists[@]}" | grep -c . || true)
results=$(grep -c -E '^(○|△|▲|×|？) ' "$work/ferrule" || true)
echo "${#lists[@]} lists of $entries entries, $results result lines"
echo "ferrule-check: $(seconds "$ferrule_time") s (exit status $status), dpkg --verify: $(seconds "$dpkg_time") s" \
    "(the second reads what the first left in the page cache)"

# Compared are only the files the md5sums lists name (dpkg also checks directories, symbolic links and
# conffiles, which they do not), and none taking part in a diversion: dpkg checks a diverted file where the
# diversion put it, ferrule-check where the list names it.
cat "${lists[@]}" | sed -n 's/^[0-9a-f]\{32\}  /\//p' | sort -u >"$work/listed"
dpkg-divert --list | sed -n 's/^.*diversion of \(.*\) to \(.*\)$/\1\n\2/p' | sed 's/ by [^ ]*$//' |
    sort -u >"$work/diverted"
compared() { comm -23 - "$work/diverted" | comm -12 - "$work/listed"; }

# Ferrule's names are relative to /; its ▲ and ？ lines end in a digest or reason in brackets.
ferrule_names() {
    sed -n "s/^\($1\) \(.*\)$/\/\2/p" "$work/ferrule" | sed 's/ \[[^]]*\]$//' | sort -u | compared
}
ferrule_names '▲\|△' >"$work/f-changed"
ferrule_names '×' >"$work/f-missing"
ferrule_names '？' >"$work/f-unread"

# dpkg: nine check columns (or "missing"), the attribute (c: conffile), the path.
dpkg_names() {
    awk -v want="$1" '{
        checks = substr($0, 1, 9); attr = substr($0, 11, 1); path = substr($0, 13)
        if (attr == "c") next
        digest = substr(checks, 3, 1)
        kind = checks ~ /^missing/ ? "missing" : digest == "5" ? "changed" : digest == "?" ? "unread" : ""
        if (kind == want) print path
    }' "$work/dpkg" | sort -u | compared
}
dpkg_names changed >"$work/d-changed"
dpkg_names missing >"$work/d-missing"
dpkg_names unread >"$work/d-unread"

failed=0
if [ "$status" -ne 0 ] && [ "$status" -ne 1 ]; then
    echo "FAIL: ferrule-check stopped with exit status $status:"
    head -20 "$work/ferrule.err"
    failed=1
fi
if [ "$results" -ne "$entries" ]; then
    echo "FAIL: $entries entries listed, $results result lines written"
    failed=1
fi
for kind in changed missing unread; do
    echo "$kind: ferrule-check $(wc -l <"$work/f-$kind"), dpkg --verify $(wc -l <"$work/d-$kind")"
    if ! cmp -s "$work/f-$kind" "$work/d-$kind"; then
        echo "FAIL: the $kind files differ (< ferrule-check only, > dpkg --verify only):"
        diff "$work/f-$kind" "$work/d-$kind" | grep '^[<>]' | head -40 || true
        failed=1
    fi
done
if [ -s "$work/f-unread" ]; then
    echo "ferrule-check could not read:"
    grep '^？ ' "$work/ferrule" | head -40 || true
fi
exit $failed
