# SPDX-License-Identifier: GPL-3.0-or-later
# zkv_add_test(<name> SOURCES <files...> LIBS <targets...> [WINDOW] [TIMEOUT <s>])
#
# One Qt Test program per area. Core tests get the label "core" and run in the
# sanitizer build too; WINDOW tests build widgets, run offscreen and get the
# label "window" (skipped when ZKV_CORE_ONLY is on).
function(zkv_add_test name)
    cmake_parse_arguments(T "WINDOW" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(T_WINDOW AND ZKV_CORE_ONLY)
        return()
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    if(T_WINDOW)
        set(label window)
    else()
        set(label core)
    endif()
    set_tests_properties(${name} PROPERTIES
        LABELS ${label}
        TIMEOUT ${T_TIMEOUT}
        # No test writes into the user's own application data (the firing logbook's default).
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;ASAN_OPTIONS=detect_leaks=0;XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test-data")
endfunction()
