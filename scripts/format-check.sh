#!/usr/bin/env bash
# Checks that the C++ files changed on this branch follow the committed .clang-format
# (clang-format-14 --dry-run -Werror). "Changed" means changed since the point where the branch
# left main, or, on main itself (a CI clone may hold no other branch), since the last commit;
# files changed in the working tree count too.
#
#   scripts/format-check.sh             check the changed files
#   scripts/format-check.sh FILE...     check these files
#   scripts/format-check.sh --base REF  compare with REF instead
#
# Prints each file that is not formatted. Exit code: 0 all formatted (or nothing to check),
# 1 a file is not formatted, 2 the check could not run (no clang-format-14, no git history);
# the last line says which.
set -uo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"

format=$(command -v clang-format-14 || true)
if [ -z "$format" ]; then
    echo "format check: clang-format-14 is not installed"
    exit 2
fi

base=""
files=()
while [ $# -gt 0 ]; do
    case "$1" in
        --base) shift; base="${1:?ref}" ;;
        -h|--help) sed -n '2,13p' "$0"; exit 0 ;;
        *) files+=("$1") ;;
    esac
    shift
done

if [ ${#files[@]} -eq 0 ]; then
    if ! git rev-parse --git-dir >/dev/null 2>&1; then
        echo "format check: not a git checkout, nothing to compare with"
        exit 2
    fi
    if [ -z "$base" ]; then
        head=$(git rev-parse HEAD)
        for ref in main origin/main; do
            git rev-parse -q --verify "$ref^{commit}" >/dev/null || continue
            fork=$(git merge-base HEAD "$ref" 2>/dev/null) || continue
            if [ "$fork" != "$head" ]; then
                base=$fork
                break
            fi
        done
    fi
    # On main (or a branch not ahead of it): the last commit.
    if [ -z "$base" ] && git rev-parse -q --verify HEAD~1 >/dev/null; then
        base=HEAD~1
    fi
    if [ -z "$base" ]; then
        echo "format check: no earlier commit to compare with (a shallow clone?)"
        exit 2
    fi
    patterns=('*.cpp' '*.h' '*.hpp' '*.cc' '*.c')
    while IFS= read -r f; do
        files+=("$f")
    done < <(git diff --name-only --diff-filter=ACMR "$base" -- "${patterns[@]}"
             git ls-files --others --exclude-standard -- "${patterns[@]}")
fi

bad=()
checked=0
for f in "${files[@]}"; do
    [ -f "$f" ] || continue
    checked=$((checked + 1))
    if ! "$format" --dry-run -Werror --style=file "$f" >/dev/null 2>&1; then
        bad+=("$f")
        echo "not formatted: $f (clang-format-14 -i $f)"
    fi
done

if [ ${#bad[@]} -gt 0 ]; then
    echo "format check: ${#bad[@]} of $checked changed files not formatted"
    exit 1
fi
echo "format check: $checked changed files formatted${base:+ (since $(git rev-parse --short "$base"))}"
exit 0
