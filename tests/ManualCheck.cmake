# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a command that `quendry --help` lists has no subsection in the manual page. A command of the help is a
# line indented by two spaces that starts with the command's name (or an option such as --version) followed by
# its arguments ("[", "--", "create|", "list ARCHIVE") or by the blanks before its description; the manual gives
# each command a subsection ".SS" that starts with "quendry NAME".
# Run by CTest with -DPROGRAM=<the quendry executable> -DMANUAL=<docs/quendry.1>.
cmake_policy(VERSION 3.25)
execute_process(COMMAND "${PROGRAM}" --help OUTPUT_VARIABLE help RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --help exited with ${result}:\n${help}")
endif()
# Every line between two newlines of its own, so that one match never takes the next line's start; brackets and
# semicolons become "<" and "," so that the matches make a CMake list.
string(REPLACE "\n" "\n\n" help_lines "\n${help}")
string(REPLACE "[" "<" help_lines "${help_lines}")
string(REPLACE ";" "," help_lines "${help_lines}")
string(REGEX MATCHALL "\n  (--?[a-z][a-z-]*|[a-z]+)(  | <| --| [a-z]+\\|| [a-z]+ [A-Z]|\n)" lines "${help_lines}")
set(commands "")
foreach(line IN LISTS lines)
    string(REGEX REPLACE "^\n  ([^ \n]+).*" "\\1" command "${line}")
    list(APPEND commands "${command}")
endforeach()
list(REMOVE_DUPLICATES commands)
foreach(command IN ITEMS run scan stop status)
    if(NOT command IN_LIST commands)
        message(FATAL_ERROR "found no command '${command}' in the help of ${PROGRAM} (found: ${commands}):\n${help}")
    endif()
endforeach()

file(STRINGS "${MANUAL}" subsections REGEX "^\\.SS ")
string(REPLACE "\\-" "-" subsections "${subsections}")
set(missing "")
foreach(command IN LISTS commands)
    if(NOT subsections MATCHES "(^|;)\\.SS \"?quendry ${command}( |\"|;|$)")
        list(APPEND missing "${command}")
    endif()
endforeach()
if(missing)
    message(FATAL_ERROR "the manual page ${MANUAL} has no subsection \".SS quendry NAME\" for: ${missing}\n"
                        "Commands of the help: ${commands}")
endif()
message(STATUS "the manual page covers: ${commands}")
