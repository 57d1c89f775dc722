# The layers of the product and how the build keeps them apart.
#
# Every layer is one folder below src/ and one library. Its headers are
# included as "<layer>/<file>.h", and each library exports an include root
# that holds nothing but its own folder. A header of another layer is
# therefore found only through a dependency declared with
# target_link_libraries, never by accident through a shared src/ root.

# Gives target the include root of layer (a folder below src/, such as
# "model" or "platform/qt") with the given scope (PUBLIC or INTERFACE).
function(vemra_layer_include_root target layer scope)
  string(REPLACE "/" "_" root_name "${layer}")
  set(root "${CMAKE_BINARY_DIR}/layer_roots/${root_name}")
  get_filename_component(parent "${root}/${layer}" DIRECTORY)
  file(MAKE_DIRECTORY "${parent}")
  file(CREATE_LINK "${PROJECT_SOURCE_DIR}/src/${layer}" "${root}/${layer}" SYMBOLIC)
  target_include_directories(${target} ${scope} "${root}")
endfunction()

# A static library of every .cpp in the current folder except those listed
# after EXCLUDE (program entry points), with the layer's include root. With
# RECURSE the sub-folders count as well (the desktop keeps one a feature).
function(vemra_layer_library target layer)
  cmake_parse_arguments(ARG "RECURSE" "" "EXCLUDE" ${ARGN})
  if(ARG_RECURSE)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  else()
    file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  endif()
  foreach(excluded IN LISTS ARG_EXCLUDE)
    list(REMOVE_ITEM sources "${CMAKE_CURRENT_SOURCE_DIR}/${excluded}")
  endforeach()
  add_library(${target} STATIC ${sources})
  vemra_layer_include_root(${target} ${layer} PUBLIC)
  target_compile_options(${target} PRIVATE ${VEMRA_WARNINGS})
  target_compile_features(${target} PUBLIC cxx_std_20)
endfunction()
