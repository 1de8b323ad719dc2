# Reads the compiled help file back and checks it against its sources:
#
#   cmake -DCHM=<kestrune.chm> -DEXTRACT_CHMLIB=<extract_chmLib> -DDOCS_DIR=<docs>
#         -DRESULT_CODES=<result_code.hpp> -DKESTRUNE=<kestrune> -DWORK_DIR=<dir>
#         -P CheckReference.cmake
#
# Every page is in the file, and so are the contents, the keyword index and the full-text
# search index; every contents and keyword entry and every link of every page leads to a page
# in the file (and to a heading of it, where it names one); the keyword index names every
# member the program lists and every result code.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/reference/page_names.cmake)

set(extracted ${WORK_DIR}/extracted)
function(problem text)
  set_property(GLOBAL APPEND_STRING PROPERTY reference_problems "  ${text}\n")
endfunction()

file(REMOVE_RECURSE ${extracted})
execute_process(COMMAND ${EXTRACT_CHMLIB} ${CHM} ${extracted}
  OUTPUT_QUIET ERROR_VARIABLE log RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "extract_chmLib could not read ${CHM}:\n${log}")
endif()

file(GLOB_RECURSE markdown_pages RELATIVE ${DOCS_DIR} ${DOCS_DIR}/*.md)
foreach(markdown_path IN LISTS markdown_pages)
  html_name(${markdown_path} html)
  if(NOT EXISTS ${extracted}/${html})
    problem("${markdown_path}: no ${html} in the help file")
  endif()
endforeach()
foreach(part kestrune.hhc kestrune.hhk kestrune.css $FIftiMain $WWKeywordLinks/BTree)
  if(NOT EXISTS ${extracted}/${part})
    problem("no ${part} in the help file")
  endif()
endforeach()

# Whether `target` ("page.html" or "page.html#anchor") is a page of the file with that heading.
function(check_target target where)
  string(REGEX MATCH "^([^#]*)(#(.*))?$" ignored "${target}")
  set(page "${CMAKE_MATCH_1}")
  set(anchor "${CMAKE_MATCH_3}")
  if("${page}" STREQUAL "")
    set(page ${where})
  endif()
  if(NOT EXISTS ${extracted}/${page})
    problem("${where}: ${target} is not in the help file")
  elseif(NOT "${anchor}" STREQUAL "")
    file(READ ${extracted}/${page} text)
    string(FIND "${text}" " id=\"${anchor}\"" at)
    if(at EQUAL -1)
      problem("${where}: ${page} has no heading #${anchor}")
    endif()
  endif()
endfunction()

foreach(sitemap kestrune.hhc kestrune.hhk)
  file(STRINGS ${extracted}/${sitemap} locals REGEX "name=\"Local\" value=")
  foreach(line IN LISTS locals)
    string(REGEX MATCH "name=\"Local\" value=\"([^\"]*)\"" ignored "${line}")
    check_target("${CMAKE_MATCH_1}" ${sitemap})
  endforeach()
endforeach()

file(GLOB pages RELATIVE ${extracted} ${extracted}/*.html)
foreach(page IN LISTS pages)
  file(READ ${extracted}/${page} text)
  string(REGEX MATCHALL "href=\"[^\"]*\"" links "${text}")
  foreach(link IN LISTS links)
    string(REGEX REPLACE "^href=\"(.*)\"$" "\\1" target "${link}")
    if(NOT target MATCHES "^[a-z]+:")
      check_target("${target}" ${page})
    endif()
  endforeach()
endforeach()

# The keywords: every member `kestrune help` lists ("  name  description"), every result code.
file(READ ${extracted}/kestrune.hhk keyword_index)
execute_process(COMMAND ${KESTRUNE} help OUTPUT_VARIABLE listing RESULT_VARIABLE status)
string(REGEX MATCHALL "\n  [A-Za-z]+  " listed "${listing}")
if(NOT status EQUAL 0 OR listed STREQUAL "")
  problem("kestrune help listed no members")
endif()
file(STRINGS ${RESULT_CODES} code_lines REGEX "^  [a-z_]+ = [0-9]+,")
set(keywords "")
foreach(line IN LISTS listed code_lines)
  string(REGEX MATCH "^\n?  ([A-Za-z_]+)" ignored "${line}")
  list(APPEND keywords ${CMAKE_MATCH_1})
endforeach()
foreach(keyword IN LISTS keywords)
  string(REGEX MATCH "name=\"Name\" value=\"${keyword}[\" ]" found "${keyword_index}")
  if(found STREQUAL "")
    problem("the keyword index lacks ${keyword}")
  endif()
endforeach()

list(LENGTH keywords keyword_count)
list(LENGTH markdown_pages page_count)
get_property(problems GLOBAL PROPERTY reference_problems)
if(NOT "${problems}" STREQUAL "")
  message(FATAL_ERROR "${CHM}:\n${problems}")
endif()
message(STATUS "${CHM}: ${page_count} pages and ${keyword_count} keywords, all found")
