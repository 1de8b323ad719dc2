# The function reference as web pages and as the Windows help file (target `reference`, not
# built by default): build/<preset>/reference/html/ and build/<preset>/reference/kestrune.chm.
# scripts/build-reference.sh installs the tools, builds it and reads it back.
find_program(CMARK_GFM cmark-gfm)
find_program(CHMCMD chmcmd)
find_program(EXTRACT_CHMLIB extract_chmLib)
set(KESTRUNE_REFERENCE_DIR ${PROJECT_BINARY_DIR}/reference)

if(CMARK_GFM AND CHMCMD)
  file(GLOB_RECURSE reference_pages CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.md)
  set(reference_script ${PROJECT_SOURCE_DIR}/cmake/BuildReference.cmake)
  set(reference_stylesheet ${PROJECT_SOURCE_DIR}/cmake/reference/kestrune.css)
  set(result_codes ${PROJECT_SOURCE_DIR}/src/search/result_code.hpp)
  add_custom_command(OUTPUT ${KESTRUNE_REFERENCE_DIR}/kestrune.chm
    COMMAND ${CMAKE_COMMAND} -DDOCS_DIR=${PROJECT_SOURCE_DIR}/docs
            -DOUT_DIR=${KESTRUNE_REFERENCE_DIR} -DCMARK_GFM=${CMARK_GFM} -DCHMCMD=${CHMCMD}
            -DRESULT_CODES=${result_codes} -DSTYLESHEET=${reference_stylesheet}
            -P ${reference_script}
    DEPENDS ${reference_pages} ${reference_script} ${reference_stylesheet} ${result_codes}
            ${PROJECT_SOURCE_DIR}/cmake/reference/page_names.cmake
    COMMENT "Building the reference's web pages and kestrune.chm")
  add_custom_target(reference DEPENDS ${KESTRUNE_REFERENCE_DIR}/kestrune.chm)
else()
  add_custom_target(reference
    COMMAND ${CMAKE_COMMAND} -E echo "The reference needs cmark-gfm and chmcmd: run scripts/build-reference.sh"
    COMMAND ${CMAKE_COMMAND} -E false)
endif()
