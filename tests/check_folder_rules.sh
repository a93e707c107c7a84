#!/usr/bin/env bash
# Checks the include rules between the source folders from the #include lines, as an allow-list
# that names exactly the pairings that exist: a folder may include only the folders named for it
# below, so a new pairing fails until someone decides it belongs to the layering. From the bottom:
#   framework -> nothing of the program's
#   picture  -> nothing of the program's but the framework (the decoders' shapes and seams)
#   state    -> app's shared flags (app/AppFlags.h, nothing else of app's)
#   capture, controls -> nothing of the program's but the resources
#   dialogs  -> controls, state (the zoom ratio's range), picture (the preview)
#   view     -> dialogs, capture, controls, frame (only to leave full screen), state, picture
#   frame    -> capture, controls, state
#   app      -> frame, view, dialogs (the About box is the application's), state: the root, which
#               nothing includes but through app/AppFlags.h
#   everything -> itself, the framework and the resources; the framework only itself.
#   check_folder_rules.sh SRC_DIR
set -uo pipefail
src=${1:?source folder}
fail=0
declare -A allowed=(
    [app]="frame view dialogs state"
    [frame]="capture controls state"
    [view]="dialogs capture controls frame state picture"
    [dialogs]="controls state picture"
    [state]="app"
    [picture]=""
    [capture]=""
    [controls]=""
    [res]=""
)
# The one header of the application's that another folder may include.
app_shared="app/AppFlags.h"
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
    elif [ "$to" = app ] && [ "$inc" != "$app_shared" ]; then
        bad="of the application's headers only $app_shared is shared"
    fi
    if [ -n "$bad" ]; then
        echo "$file: #include \"$inc\": $bad"
        fail=1
    fi
done < <(grep -rn --include='*.h' --include='*.cpp' -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$src")
[ $fail -eq 0 ] && echo "folder rules: all includes allowed"
exit $fail
