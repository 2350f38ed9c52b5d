# Makes the man page from the --help text, so that the two cannot drift apart:
#   cmake -DUSAGE=app/usage.txt -DFRAME=packaging/resunpack.1.in
#         -DOUTPUT=resunpack.1 -DVERSION=1.0.0 -P packaging/makeManPage.cmake
#
# The help text's layout, which this script reads:
#   - the first paragraph (up to the first empty line) is the synopsis:
#     "Usage: " then the command lines, each further one indented by 7 spaces;
#   - a paragraph whose lines start with two spaces and a character is the
#     option list: each option's name starts at column 3 and its description
#     at column 21, where its further lines start too (an option whose name
#     reaches column 20 has its description on the lines below);
#   - the paragraph that starts with "Exit status: " is the exit status;
#   - every other paragraph belongs to the description.
# The frame FRAME holds the rest of the page and @SYNOPSIS@, @DESCRIPTION@,
# @OPTIONS@, @EXIT_STATUS@ and @VERSION@ where these go.

foreach(variable USAGE FRAME OUTPUT VERSION)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "makeManPage.cmake needs -D${variable}=...")
  endif()
endforeach()

set(descriptionColumn 20)

# CMake lists split at ';' and keep "[...]" together: the text's own ';', '['
# and ']' travel as control characters and come back at the end.
string(ASCII 1 semicolon)
string(ASCII 2 openBracket)
string(ASCII 3 closeBracket)

file(READ "${USAGE}" text)
string(REPLACE ";" "${semicolon}" text "${text}")
string(REPLACE "[" "${openBracket}" text "${text}")
string(REPLACE "]" "${closeBracket}" text "${text}")
# roff: a backslash is written \e.
string(REPLACE "\\" "\\e" text "${text}")

# Running text for roff: a '-' that starts a word is a minus sign (an
# option), and a line may not start with a control character ('.' or ''').
function(roffText out line)
  string(REGEX REPLACE "^ +" "" line "${line}")
  string(REGEX REPLACE "(^|[ (\"'])-" "\\1\\\\-" line "${line}")
  string(REGEX REPLACE "(^|[ (\"'])\\\\--" "\\1\\\\-\\\\-" line "${line}")
  # Every '-' inside an option's name is a minus too ("--max-output").
  while(line MATCHES "\\\\-[A-Za-z0-9]+-")
    string(REGEX REPLACE "(\\\\-[A-Za-z0-9]+)-" "\\1\\\\-" line "${line}")
  endwhile()
  string(REGEX REPLACE "^([.'])" "\\\\&\\1" line "${line}")
  set(${out} "${line}" PARENT_SCOPE)
endfunction()

# An option's name: its options in bold, its placeholders (capitals) in
# italics, the rest (choices, commas) as they are.
function(roffOptionName out name)
  string(REPLACE " " ";" words "${name}")
  set(result "")
  foreach(word IN LISTS words)
    if(word MATCHES "^(-[-A-Za-z0-9]*)(,?)$")
      string(REPLACE "-" "\\-" option "${CMAKE_MATCH_1}")
      set(word "\\fB${option}\\fR${CMAKE_MATCH_2}")
    elseif(word MATCHES "^[A-Z][A-Z.]*$")
      set(word "\\fI${word}\\fR")
    endif()
    if(result STREQUAL "")
      set(result "${word}")
    else()
      set(result "${result} ${word}")
    endif()
  endforeach()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

string(REPLACE "\n" ";" lines "${text}")
set(SYNOPSIS "")
set(DESCRIPTION "")
set(OPTIONS "")
set(EXIT_STATUS "")
set(part synopsis)       # synopsis, then paragraph
set(paragraph "")        # what the current paragraph is: options, exit, description
foreach(line IN LISTS lines)
  if(line STREQUAL "")
    set(paragraph "")
    if(part STREQUAL "synopsis")
      set(part paragraph)
    endif()
    continue()
  endif()
  if(part STREQUAL "synopsis")
    # Kept as laid out, the command in bold.
    # The first 7 characters: "Usage: " or the indent that matches it.
    string(SUBSTRING "${line}" 7 -1 line)
    string(REGEX REPLACE "-" "\\\\-" line "${line}")
    if(line MATCHES "^resunpack(.*)$")
      set(line "\\fBresunpack\\fR${CMAKE_MATCH_1}")
    endif()
    string(APPEND SYNOPSIS "${line}\n")
    continue()
  endif()
  if(paragraph STREQUAL "")
    if(line MATCHES "^  [^ ]")
      set(paragraph options)
    elseif(line MATCHES "^Exit status: (.*)$")
      set(paragraph exit)
      set(line "${CMAKE_MATCH_1}")
    else()
      set(paragraph description)
      if(NOT DESCRIPTION STREQUAL "")
        string(APPEND DESCRIPTION ".PP\n")
      endif()
    endif()
  endif()
  if(paragraph STREQUAL "options")
    if(line MATCHES "^  [^ ]")
      # A new option: its name, then its description's first words if the
      # name ends before the description's column.
      string(LENGTH "${line}" length)
      math(EXPR beforeColumn "${descriptionColumn} - 1")
      set(name "${line}")
      set(first "")
      if(length GREATER descriptionColumn)
        string(SUBSTRING "${line}" ${beforeColumn} 1 gap)
        if(gap STREQUAL " ")
          string(SUBSTRING "${line}" 0 ${descriptionColumn} name)
          string(SUBSTRING "${line}" ${descriptionColumn} -1 first)
        endif()
      endif()
      string(STRIP "${name}" name)
      roffOptionName(name "${name}")
      string(APPEND OPTIONS ".TP\n${name}\n")
      set(line "${first}")
      if(line STREQUAL "")
        continue()
      endif()
    endif()
    roffText(line "${line}")
    string(APPEND OPTIONS "${line}\n")
  elseif(paragraph STREQUAL "exit")
    roffText(line "${line}")
    string(APPEND EXIT_STATUS "${line}\n")
  else()
    roffText(line "${line}")
    string(APPEND DESCRIPTION "${line}\n")
  endif()
endforeach()

foreach(variable SYNOPSIS DESCRIPTION OPTIONS EXIT_STATUS)
  string(REGEX REPLACE "\n$" "" value "${${variable}}")
  string(REPLACE "${semicolon}" ";" value "${value}")
  string(REPLACE "${openBracket}" "[" value "${value}")
  string(REPLACE "${closeBracket}" "]" value "${value}")
  set(${variable} "${value}")
endforeach()
configure_file("${FRAME}" "${OUTPUT}" @ONLY)
