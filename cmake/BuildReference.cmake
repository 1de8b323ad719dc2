# Turns the Markdown pages under DOCS_DIR into web pages and compiles them into an HTML Help
# file:
#
#   cmake -DDOCS_DIR=<docs> -DOUT_DIR=<reference> -DCMARK_GFM=<cmark-gfm> -DCHMCMD=<chmcmd>
#         -DRESULT_CODES=<result_code.hpp> -DSTYLESHEET=<kestrune.css> -P BuildReference.cmake
#
# OUT_DIR/html/ gets one page per Markdown page (a folder's README.md becomes index.html, the
# folders are flattened, links between pages point at the .html files, headings get the ids
# GitHub gives them so that links with anchors keep working), the stylesheet, and the help
# project (kestrune.hhp, the contents kestrune.hhc, the keyword index kestrune.hhk), which
# compiles into OUT_DIR/kestrune.chm. The index page's table of functions, whose rows the
# documentation tests check against the member table, supplies the function keywords.
cmake_minimum_required(VERSION 3.25)

set(html_dir ${OUT_DIR}/html)
set(index_source functions/README.md)
set(result_codes_anchor "krSEARCH.html#the-result-codes")
set(project_name kestrune)
# Semicolons would split CMake lists; pages carry them as this character while being worked on.
string(ASCII 1 semicolon)
include(${CMAKE_CURRENT_LIST_DIR}/reference/page_names.cmake)

function(strip_tags text out)
  string(REGEX REPLACE "<[^>]*>" "" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# GitHub's anchor for a heading: lower case, punctuation dropped, spaces as hyphens.
function(heading_slug title out)
  strip_tags("${title}" text)
  string(REGEX REPLACE "&[#a-zA-Z0-9]+${semicolon}" "" text "${text}")
  string(TOLOWER "${text}" text)
  string(REGEX REPLACE "[^a-z0-9 _-]" "" text "${text}")
  string(REPLACE " " "-" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Gives every heading of `html` its anchor (a repeated one numbered, as GitHub does).
function(add_heading_ids html out)
  set(rest "${html}")
  set(done "")
  set(used "")
  while(TRUE)
    string(REGEX MATCH "<h([1-6])>([^\n]*)</h[1-6]>" heading "${rest}")
    if(heading STREQUAL "")
      break()
    endif()
    set(level ${CMAKE_MATCH_1})
    set(title "${CMAKE_MATCH_2}")
    heading_slug("${title}" slug)
    set(unique ${slug})
    set(repeat 0)
    while(unique IN_LIST used)
      math(EXPR repeat "${repeat} + 1")
      set(unique ${slug}-${repeat})
    endwhile()
    list(APPEND used ${unique})
    string(FIND "${rest}" "${heading}" at)
    string(LENGTH "${heading}" length)
    string(SUBSTRING "${rest}" 0 ${at} before)
    math(EXPR after "${at} + ${length}")
    string(SUBSTRING "${rest}" ${after} -1 rest)
    string(APPEND done "${before}<h${level} id=\"${unique}\">${title}</h${level}>")
  endwhile()
  set(${out} "${done}${rest}" PARENT_SCOPE)
endfunction()

# Links to other pages, wherever their folder, go to the flattened .html files.
function(rewrite_page_links html out)
  string(REGEX REPLACE "href=\"([^\":#]*/)?README\\.md" "href=\"index.md" html "${html}")
  string(REGEX REPLACE "href=\"([^\":#]*/)?([^\":#/]+)\\.md" "href=\"\\2.html" html "${html}")
  set(${out} "${html}" PARENT_SCOPE)
endfunction()

function(write_page markdown_path html_path out_title)
  execute_process(COMMAND ${CMARK_GFM} --extension table ${DOCS_DIR}/${markdown_path}
    OUTPUT_VARIABLE body RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmark-gfm could not convert ${markdown_path}")
  endif()
  string(REPLACE ";" "${semicolon}" body "${body}")
  rewrite_page_links("${body}" body)
  add_heading_ids("${body}" body)
  string(REGEX MATCH "<h1[^>]*>([^\n]*)</h1>" heading "${body}")
  strip_tags("${CMAKE_MATCH_1}" title)
  if(title STREQUAL "")
    message(FATAL_ERROR "${markdown_path} has no title (a first-level heading)")
  endif()
  set(page "<!DOCTYPE html>
<html lang=\"en\">
<head>
<meta http-equiv=\"Content-Type\" content=\"text/html${semicolon} charset=utf-8\">
<title>${title}</title>
<link rel=\"stylesheet\" href=\"kestrune.css\">
</head>
<body>
${body}</body>
</html>
")
  string(REPLACE "${semicolon}" ";" page "${page}")
  file(WRITE ${html_path} "${page}")
  set(${out_title} "${title}" PARENT_SCOPE)
endfunction()

# One entry of a contents or index file.
function(sitemap_entry name local out)
  set(${out} "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"${name}\"><param name=\"Local\" value=\"${local}\"></OBJECT>\n" PARENT_SCOPE)
endfunction()

function(write_sitemap path entries)
  file(WRITE ${path} "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\">
<HTML>
<HEAD><meta name=\"GENERATOR\" content=\"kestrune BuildReference.cmake\"></HEAD>
<BODY>
<UL>
${entries}</UL>
</BODY>
</HTML>
")
endfunction()

# The pages, the index first, then in the order the index links to them, then the rest.
file(GLOB_RECURSE markdown_pages RELATIVE ${DOCS_DIR} ${DOCS_DIR}/*.md)
list(SORT markdown_pages)
file(READ ${DOCS_DIR}/${index_source} index_markdown)
# Square brackets would hold list items together in CMake: links read "{text}(target)" here.
string(REPLACE "[" "{" index_markdown "${index_markdown}")
string(REPLACE "]" "}" index_markdown "${index_markdown}")
string(REGEX MATCHALL "}\\(([^)#: ]+)\\.md" linked "${index_markdown}")
get_filename_component(index_folder ${index_source} DIRECTORY)
set(ordered ${index_source})
foreach(link IN LISTS linked)
  string(REGEX REPLACE "^}\\(" "" target "${link}")
  file(REAL_PATH ${DOCS_DIR}/${index_folder}/${target} absolute)
  file(RELATIVE_PATH target ${DOCS_DIR} ${absolute})
  if(NOT target IN_LIST ordered)
    list(APPEND ordered ${target})
  endif()
endforeach()
foreach(markdown_path IN LISTS markdown_pages)
  if(NOT markdown_path IN_LIST ordered)
    list(APPEND ordered ${markdown_path})
  endif()
endforeach()

file(REMOVE_RECURSE ${html_dir})
file(MAKE_DIRECTORY ${html_dir})
file(COPY ${STYLESHEET} DESTINATION ${html_dir})
get_filename_component(stylesheet_name ${STYLESHEET} NAME)
set(contents "")
set(files "")
foreach(markdown_path IN LISTS ordered)
  html_name(${markdown_path} html)
  if(html IN_LIST files)
    message(FATAL_ERROR "two pages would both become ${html}")
  endif()
  list(APPEND files ${html})
  write_page(${markdown_path} ${html_dir}/${html} title)
  sitemap_entry("${title}" ${html} entry)
  string(APPEND contents "${entry}")
endforeach()

# The keyword index: every function, from the index page's table ("| name | ... | [x](page) |"),
# and every result code of krSEARCH.
set(keywords "")
string(REGEX MATCHALL "\n\\| [A-Za-z]+ \\|[^\n]*}\\([^)]+\\)" rows "${index_markdown}")
foreach(row IN LISTS rows)
  # The first link of a row goes to the function's own text; later ones are further reading.
  string(REGEX MATCH "^\n\\| ([A-Za-z]+) \\|[^\n{]*{[^}]*}\\(([^)#]+)\\.md(#[^)]*)?\\)" row "${row}")
  set(name ${CMAKE_MATCH_1})
  set(anchor "${CMAKE_MATCH_3}")
  get_filename_component(stem ${CMAKE_MATCH_2} NAME)
  sitemap_entry(${name} "${stem}.html${anchor}" entry)
  list(APPEND keywords "${entry}")
endforeach()
file(STRINGS ${RESULT_CODES} code_lines REGEX "^  [a-z_]+ = [0-9]+,")
foreach(line IN LISTS code_lines)
  string(REGEX MATCH "^  ([a-z_]+) = ([0-9]+)," line "${line}")
  sitemap_entry("${CMAKE_MATCH_1} (result code ${CMAKE_MATCH_2})" ${result_codes_anchor} entry)
  list(APPEND keywords "${entry}")
endforeach()
# Every entry begins alike up to its name, so this puts the names in alphabetical order.
list(SORT keywords CASE INSENSITIVE)
list(JOIN keywords "" keywords)

write_sitemap(${html_dir}/${project_name}.hhc "${contents}")
write_sitemap(${html_dir}/${project_name}.hhk "${keywords}")
list(APPEND files ${stylesheet_name})
list(JOIN files "\n" file_list)
list(GET ordered 0 index_page)
html_name(${index_page} default_topic)
file(WRITE ${html_dir}/${project_name}.hhp "[OPTIONS]
Compatibility=1.1 or later
Compiled file=${project_name}.chm
Contents file=${project_name}.hhc
Index file=${project_name}.hhk
Default topic=${default_topic}
Default Window=main
Display compile progress=No
Full-text search=Yes
Binary TOC=No
Binary Index=Yes
Language=0x409 English (United States)
Title=kestrune function reference

[WINDOWS]
main=\"kestrune function reference\",\"${project_name}.hhc\",\"${project_name}.hhk\",\"${default_topic}\",\"${default_topic}\",,,,,0x2520,,0x387e,,,,,,,,0

[FILES]
${file_list}
")

execute_process(COMMAND ${CHMCMD} ${project_name}.hhp WORKING_DIRECTORY ${html_dir}
  OUTPUT_VARIABLE log ERROR_VARIABLE log RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR log MATCHES "[Ww]arning|[Ee]rror")
  message(FATAL_ERROR "chmcmd could not compile the help file:\n${log}")
endif()
file(RENAME ${html_dir}/${project_name}.chm ${OUT_DIR}/${project_name}.chm)
