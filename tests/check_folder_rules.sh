#!/usr/bin/env bash
# Checks the include rules between the source folders from the #include lines, as an allow-list:
# a folder may include only the folders named for it below, so a new pairing fails until someone
# decides it belongs to the layering.
#   app      -> frame, view, dialogs (the About box is the application's), picture
#   frame    -> capture, controls, app (its shared flags), picture
#   view     -> dialogs, capture, controls, frame (only to leave full screen), app, picture
#   dialogs  -> controls, app, picture
#   picture  -> nothing of the program's but the framework
#   capture, controls -> nothing of the program's but the resources
#   everything -> itself, the framework and the resources; the framework only itself.
#   check_folder_rules.sh SRC_DIR
set -uo pipefail
src=${1:?source folder}
fail=0
declare -A allowed=(
    [app]="frame view dialogs picture"
    [frame]="capture controls app picture"
    [view]="dialogs capture controls frame app picture"
    [dialogs]="controls app picture"
    [picture]=""
    [capture]=""
    [controls]=""
    [res]=""
)
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
    if [ "$from" = "$to" ]; then
        :
    elif [ "$from" = framework ]; then
        bad="the framework includes nothing of the program"
    elif [ "$to" = framework ] || [ "$to" = res ]; then
        :
    elif [ -z "${allowed[$from]+set}" ]; then
        bad="folder $from is not in the layering"
    elif ! grep -qw -- "$to" <<<"${allowed[$from]}"; then
        bad="$from may include only ${allowed[$from]:-the framework and the resources}"
    fi
    if [ -n "$bad" ]; then
        echo "$file: #include \"$inc\": $bad"
        fail=1
    fi
done < <(grep -rn --include='*.h' --include='*.cpp' -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$src")
[ $fail -eq 0 ] && echo "folder rules: all includes allowed"
exit $fail
