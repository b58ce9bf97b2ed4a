#!/usr/bin/env bash
# check-layers: fails when a source file includes a header from a layer above its own.
#
#   bash scripts/check-layers.sh [source-root]
#
# The layers are listed below, lowest first; the README's layout table mirrors this list.
# Folders on one line form one level: each may include from its own folder and from every
# level below, never from a folder beside it on its line or from a level above. A folder
# belongs to the layer of its longest listed prefix, so the backend subfolders (posix/,
# win32/, qt/) are part of their parent's layer. Every C and C++ file must lie in a layer;
# an include that names no file of a layer (a system or generated header) is not checked.
# Prints one line per offending include and exits with 1 when there is any.
set -euo pipefail

LEVELS=(
    "Platform"
    "Base"
    "PluginAPI"
    "PluginAPI/Plugins Toolkit Host"
    "PluginForm"
    "Plugins/Corvane"
    "Tools"
    "bench tests"
)

root=$(cd "${1:-$(dirname "$0")/..}" && pwd)

declare -A level_of=()
for index in "${!LEVELS[@]}"; do
    for folder in ${LEVELS[index]}; do
        level_of[$folder]=$index
    done
done

# The listed folder that holds `path` (relative to the root), or nothing.
layer_of() {
    local path=$1 best=""
    for folder in "${!level_of[@]}"; do
        if [[ $path == "$folder"/* && ${#folder} -gt ${#best} ]]; then
            best=$folder
        fi
    done
    printf '%s' "$best"
}

failures=0
report() {
    echo "$1" >&2
    failures=$((failures + 1))
}

cd "$root"
while IFS= read -r file; do
    file=${file#./}
    from=$(layer_of "$file")
    if [[ -z $from ]]; then
        report "$file: lies in no layer; add its folder to the layers in scripts/check-layers.sh"
        continue
    fi
    while IFS=: read -r line included; do
        # An include names a file beside the includer or a path from the root.
        target=$included
        if [[ -f $(dirname "$file")/$included ]]; then
            target=$(realpath -m --relative-to=. "$(dirname "$file")/$included")
        fi
        to=$(layer_of "$target")
        [[ -z $to || $to == "$from" ]] && continue
        if ((level_of[$to] >= level_of[$from])); then
            report "$file:$line: includes $target from $to, which $from may not use"
        fi
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
        sed -E 's/^([0-9]+):[^"]*"([^"]*)".*/\1:\2/')
done < <(find . \( -path './.*' -o -path './build*' \) -prune -o -type f \
    \( -name '*.h' -o -name '*.hpp' -o -name '*.c' -o -name '*.cpp' -o -name '*.cpp.in' \) \
    -print | sort)

if ((failures > 0)); then
    echo "check-layers: $failures include(s) against the layer order" >&2
    exit 1
fi
echo "check-layers: every include runs down the layers"
