#!/usr/bin/env bash
# Checks the include rules between the source folders from the #include lines:
#   framework includes nothing of the program's, only the framework;
#   controls include only the framework;
#   capture never includes view; frame never includes view.
#   check_folder_rules.sh SRC_DIR
set -uo pipefail
src=${1:?source folder}
fail=0
# Every include of a project header as "FILE<TAB>FOLDER OF THE FILE<TAB>INCLUDED FOLDER".
while IFS=: read -r file _ line; do
    inc=$(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' <<<"$line")
    [ -n "$inc" ] || continue
    from=${file#"$src"/}
    from=${from%%/*}
    case "$inc" in
        */*) to=${inc%%/*} ;;
        *) to=$from ;;  # beside the including file
    esac
    bad=""
    case "$from:$to" in
        framework:framework) ;;
        framework:*) bad="the framework includes nothing of the program" ;;
        controls:framework | controls:controls) ;;
        controls:*) bad="controls include only the framework" ;;
        capture:view) bad="capture never includes view" ;;
        frame:view) bad="frame never includes view" ;;
    esac
    if [ -n "$bad" ]; then
        echo "$file: #include \"$inc\": $bad"
        fail=1
    fi
done < <(grep -rn --include='*.h' --include='*.cpp' -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$src")
[ $fail -eq 0 ] && echo "folder rules: all includes allowed"
exit $fail
