# What a Markdown page under docs/ is called in the reference's web pages and help file: the
# folders are flattened, and a folder's README.md is the index.
function(html_name markdown_path out)
  get_filename_component(stem ${markdown_path} NAME_WLE)
  if(stem STREQUAL "README")
    set(stem index)
  endif()
  set(${out} ${stem}.html PARENT_SCOPE)
endfunction()
