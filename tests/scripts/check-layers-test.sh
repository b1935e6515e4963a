#!/usr/bin/env bash
# The layer check on small repositories made here: a tree that keeps the order passes; every way out of
# it is refused, a folder the build does not know included (the check fails closed).
#
#   check-layers-test.sh CHECK_LAYERS
set -euo pipefail

check_layers=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# A repository with an engine, one subsystem (with its ui) and the window, in the shape of the real one.
make_repo() {
    local repo=$1
    mkdir -p "$repo"/{data,shell,window,entry/ui}
    cat >"$repo/CMakeLists.txt" <<'CMAKE'
set(KORVANIS_SUBSYSTEMS shell entry)
add_subdirectory(data)
foreach(subsystem IN LISTS KORVANIS_SUBSYSTEMS)
    foreach(folder IN ITEMS ${subsystem} ${subsystem}/ui)
        add_subdirectory(${folder})
    endforeach()
endforeach()
add_subdirectory(window)
CMAKE
    echo 'target_sources(korvanis_engine PRIVATE Rows.h)' >"$repo/data/CMakeLists.txt"
    echo 'target_sources(korvanis_domain PRIVATE Rules.h)' >"$repo/entry/CMakeLists.txt"
    echo 'target_sources(korvanis_ui PRIVATE Panel.cpp)' >"$repo/entry/ui/CMakeLists.txt"
    echo 'target_sources(korvanis_domain PRIVATE)' >"$repo/shell/CMakeLists.txt"
    echo 'target_sources(korvanis_ui PRIVATE Window.h)' >"$repo/window/CMakeLists.txt"
    touch "$repo/data/Rows.h" "$repo/window/Window.h"
    echo '#include "data/Rows.h"' >"$repo/entry/Rules.h"
    printf '#include "entry/Rules.h"\n#include <QtWidgets/QFrame>\n' >"$repo/entry/ui/Panel.cpp"
    git -C "$repo" init -q
}

# expect NAME pass|refuse [SETUP...]: makes a repository, runs the setup in it, then the check.
expect() {
    local name=$1 outcome=$2
    shift 2
    local repo="$work/$name"
    make_repo "$repo"
    (cd "$repo" && eval "$*")
    local status=0
    "$check_layers" "$repo" >"$work/$name.out" 2>&1 || status=$?
    if { [ "$outcome" = pass ] && [ $status -ne 0 ]; } || { [ "$outcome" = refuse ] && [ $status -ne 1 ]; }; then
        echo "FALHOU: $name: esperado $outcome, saída $status" >&2
        cat "$work/$name.out" >&2
        failures=$((failures + 1))
    fi
}

expect in_order pass true
expect domain_includes_the_engine_and_a_subsystem pass 'echo "#include \"entry/Rules.h\"" >data/../entry/Other.h; echo "target_sources(korvanis_domain PRIVATE Rules.h Other.h)" >entry/CMakeLists.txt'
expect engine_includes_the_domain refuse 'echo "#include \"entry/Rules.h\"" >>data/Rows.h'
expect domain_includes_qtwidgets refuse 'echo "#include <QtWidgets/QWidget>" >>entry/Rules.h'
expect panel_includes_the_window refuse 'echo "#include \"window/Window.h\"" >>entry/ui/Panel.cpp'
expect file_not_listed refuse 'touch entry/Unlisted.cpp'
expect folder_unknown_to_the_build refuse 'mkdir stray && echo "int x;" >stray/X.cpp && echo "target_sources(korvanis_domain PRIVATE X.cpp)" >stray/CMakeLists.txt'
expect folder_without_cmake refuse 'mkdir -p stray/deep && echo "int x;" >stray/deep/X.cpp'
expect subfolder_not_added refuse 'mkdir entry/extra && echo "int x;" >entry/extra/X.cpp && echo "target_sources(korvanis_domain PRIVATE X.cpp)" >entry/extra/CMakeLists.txt'
expect library_unknown refuse 'sed -i s/korvanis_domain/korvanis_other/ entry/CMakeLists.txt'
expect subsystem_added_through_the_list pass 'sed -i "s/shell entry/shell entry nfe/" CMakeLists.txt && mkdir nfe && echo "int x;" >nfe/R.cpp && echo "target_sources(korvanis_domain PRIVATE R.cpp)" >nfe/CMakeLists.txt'

[ $failures -eq 0 ] || exit 1
echo "check-layers: todos os casos como esperado"
